// The bind sections of a script file: headers, comment removal as Python
// reads comments (strings that span lines included), and the file lines
// each section's code stands on.
#include "binds/BindParser.h"
#include "binds/Bindary.h"
#include "core/Exception.h"
#include "core/ScriptText.h"
#include "fuzz/FuzzSupport.h"

using namespace orvexa;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString file = fuzz::InputFile("input.orx", data, size);
    TBindary binds(nullptr);
    try {
        ParseBinds(binds, file);
    } catch (const Exception&) {
        return 0;
    }
    const qsizetype fileLines = ReadScriptLines(file).size();
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj& bind = *binds.GetBind(i);
        if (!bind.Place.Fits(bind.CodeLines.size()))
            fuzz::Fail("a section's code lines and their file lines differ in number");
        int previous = 0;
        for (const int line : bind.Place.lineNumbers) {
            if (line <= previous || line > fileLines)
                fuzz::Fail("a code line's file line is out of order or beyond the file");
            previous = line;
        }
        for (const QString& line : bind.CodeLines)
            (void)RemoveComments(line);
    }
    binds.ClearBinds();
    return 0;
}
