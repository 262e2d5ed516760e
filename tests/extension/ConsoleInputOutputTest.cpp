// The IO component of a run without windows, on pipes of the test's own:
// input a line at a time with its line end, the end of the input as the
// empty string, output line by line, and a waiting read that the program's
// closing ends. One process per case (the quit request is process-wide).
#include "core/Quit.h"
#include "extension/PythonConsoleInputOutput.h"
#include "tests/support/PipeDrained.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace orvexa;

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe2(fd, O_CLOEXEC), 0); }
    ~Pipe() {
        for (const int end : fd)
            if (end >= 0)
                close(end);
    }
    void Write(QByteArrayView bytes) const {
        EXPECT_EQ(write(fd[1], bytes.data(), static_cast<size_t>(bytes.size())), bytes.size());
    }
    void CloseWriteEnd() {
        close(fd[1]);
        fd[1] = -1;
    }
    QByteArray ReadAvailable() const {
        const int flags = fcntl(fd[0], F_GETFL);
        fcntl(fd[0], F_SETFL, flags | O_NONBLOCK);
        QByteArray bytes;
        char chunk[256];
        ssize_t n = 0;
        while ((n = read(fd[0], chunk, sizeof chunk)) > 0)
            bytes.append(chunk, n);
        return bytes;
    }
};

}  // namespace

TEST(ConsoleInputOutput, ReadsLinesWithTheirEndsAndAnswersEmptyAtTheEnd) {
    Pipe input;
    Pipe output;
    TPythonConsoleInputOutput io(nullptr, input.fd[0], output.fd[1]);
    input.Write("first\n\nthird, Grüße\nno end");
    input.CloseWriteEnd();
    EXPECT_EQ(io.Read(), QStringLiteral("first\n"));
    EXPECT_EQ(io.Read(), QStringLiteral("\n"));
    EXPECT_EQ(io.Read(), QStringLiteral("third, Grüße\n"));
    EXPECT_EQ(io.Read(), QStringLiteral("no end"));
    EXPECT_EQ(io.Read(), QString());
    EXPECT_EQ(io.Read(), QString());
}

TEST(ConsoleInputOutput, ALineArrivingInPiecesIsOneLine) {
    Pipe input;
    Pipe output;
    TPythonConsoleInputOutput io(nullptr, input.fd[0], output.fd[1]);
    std::thread writer([&input] {
        input.Write("hal");
        EXPECT_TRUE(test::WaitUntilPipeDrained(input.fd[0])) << "the first piece was not read on its own";
        input.Write("f\nrest\n");
    });
    EXPECT_EQ(io.Read(), QStringLiteral("half\n"));
    writer.join();
    EXPECT_EQ(io.Read(), QStringLiteral("rest\n"));
}

TEST(ConsoleInputOutput, WritesWholeLinesToTheOutput) {
    Pipe input;
    Pipe output;
    TPythonConsoleInputOutput io(nullptr, input.fd[0], output.fd[1]);
    io.Write(u"one\ntw");
    EXPECT_EQ(output.ReadAvailable(), "one\n");
    io.Write(u"o €\n");
    EXPECT_EQ(output.ReadAvailable(), "two €\n");
}

TEST(ConsoleInputOutput, AWaitingReadEndsWhenTheProgramCloses) {
    Pipe input;
    Pipe output;
    TPythonConsoleInputOutput io(nullptr, input.fd[0], output.fd[1]);
    // The input stays open with a piece of a line in it: only the closing
    // ends the wait, and it comes once the read has taken the piece.
    input.Write("par");
    std::thread closer([&input] {
        EXPECT_TRUE(test::WaitUntilPipeDrained(input.fd[0]));
        quit::Request();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(io.Read(), QString());
    EXPECT_LT(clock.elapsed(), 2000);
    closer.join();
    // Closing, nothing more is read, not even what is there.
    input.Write("late\n");
    EXPECT_EQ(io.Read(), QString());
}
