// Line assembly: how written text becomes delivered lines.
#include "extension/PythonInputOutput.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <thread>

using namespace orvexa;

namespace {
struct Recorder {
    TPythonInputOutput io;
    QStringList lines;
    Recorder() {
        io.OnSendData = [this](TPythonInputOutput*, const QString& line) { lines.append(line); };
    }
};
}  // namespace

TEST(LineAssembly, LineEndsAndControlCharacters) {
    Recorder r;
    r.io.Write(u"abc");
    EXPECT_TRUE(r.lines.isEmpty()) << "nothing until the line ends";
    r.io.Write(u"\n");
    r.io.Write(u"a\r\nb\n");
    r.io.Write(u"a\rb\n");
    r.io.Write(u"\n\n");
    r.io.Write(
        u"t\tx\x01\x1b\x7f"
        "y\n");
    EXPECT_EQ(r.lines, (QStringList{"abc", "a", "b", "ab", "", "",
                                    "t\tx\x7f"
                                    "y"}));
}

TEST(LineAssembly, LongTextIsCutAfterMaxLineLengthPlusOne) {
    Recorder r;
    r.io.Write(QString(300, u'x'));
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_EQ(r.lines[0].size(), 257);
    r.io.Write(u"\n");
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_EQ(r.lines[1].size(), 43);

    r.io.MaxLineLength = 3;
    r.io.Write(u"abcdefgh\n");
    EXPECT_EQ(r.lines.mid(2), (QStringList{"abcd", "efgh", ""}));
}

TEST(LineAssembly, SurrogatePairsAreNeverCut) {
    Recorder r;
    r.io.MaxLineLength = 1;
    r.io.Write(u"a\U0001F600b\n");
    // Two QChars of one character travel together into the same line.
    ASSERT_FALSE(r.lines.isEmpty());
    for (const QString& line : r.lines)
        EXPECT_FALSE(!line.isEmpty() && line.back().isHighSurrogate()) << line.toStdString();
    EXPECT_EQ(r.lines.join(QString()), QString::fromUtf16(u"a\U0001F600b"));
}

TEST(LineAssembly, EachThreadHasItsOwnPartialLine) {
    Recorder r;
    r.io.Write(u"main-");
    std::thread other([&] {
        r.io.Write(u"other-");
        r.io.Write(u"done\n");
    });
    other.join();
    r.io.Write(u"done\n");
    EXPECT_EQ(r.lines, (QStringList{"other-done", "main-done"}));
}

TEST(LineAssembly, DelayedDeliveryQueuesWithinMaxLines) {
    TPythonInputOutput io;
    io.DelayWrites = true;
    io.MaxLines = 2;
    io.Write(u"1\n2\n3\n");
    EXPECT_EQ(io.QueuedLineCount(), 2);
    QString line;
    ASSERT_TRUE(io.TakeQueuedLine(line));
    EXPECT_EQ(line, QStringLiteral("2"));

    TPythonInputOutput none;
    none.DelayWrites = true;
    none.MaxLines = 0;
    none.Write(u"a\nb\n");
    EXPECT_EQ(none.QueuedLineCount(), 0) << "MaxLines 0 drops every queued line";
}

TEST(LineAssembly, ReceiveDataAsksItsHandler) {
    TPythonInputOutput io;
    EXPECT_EQ(io.ReceiveData(), QString());
    io.OnReceiveData = [](TPythonInputOutput*, QString& data) { data = QStringLiteral("typed"); };
    EXPECT_EQ(io.ReceiveData(), QStringLiteral("typed"));
}

TEST(LineAssembly, FailingDeliveryLeavesTheComponentUsable) {
    TPythonInputOutput io;
    QStringList lines;
    bool fail = true;
    io.OnSendData = [&](TPythonInputOutput*, const QString& line) {
        if (fail)
            throw std::runtime_error("handler failed");
        lines.append(line);
    };
    EXPECT_THROW(io.Write(u"lost\n"), std::runtime_error);
    fail = false;
    io.Write(u"next\n");  // the lock was released, and nothing of the lost line remains
    EXPECT_EQ(lines, QStringList{"next"});
}
