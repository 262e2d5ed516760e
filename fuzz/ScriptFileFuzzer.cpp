// Script files as users and other programs write them: the one decoding of
// their bytes, and the descriptions the main window and --list read from
// their header lines.
#include "app/ScriptDirectory.h"
#include "core/Exception.h"
#include "core/ScriptText.h"
#include "fuzz/FuzzSupport.h"

using namespace orvexa;

namespace {

// Small, so that the fuzzer reaches the cut with short inputs.
constexpr qsizetype kCapacity = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const DecodedScript decoded = DecodeScript(bytes);
    if (EncodeScript(decoded.text, decoded.form) != bytes)
        fuzz::Fail("the text in the form it was decoded with is not the file's bytes");
    const ScriptForm writable = WritableForm(decoded.text, ScriptForm{ScriptEncoding::Latin1, false, LineEnd::Lf});
    if (DecodeScript(EncodeScript(decoded.text, writable)).text != decoded.text)
        fuzz::Fail("the text written in its writable form does not read back");

    const QString file = fuzz::InputFile("input.orx", data, size);
    try {
        (void)ShortDescription(file);
        if (LongDescription(file, kCapacity).size() > kCapacity)
            fuzz::Fail("the long description is longer than its capacity");
    } catch (const Exception&) {
        // A file that cannot be read is reported as such: not a finding.
    }
    return 0;
}
