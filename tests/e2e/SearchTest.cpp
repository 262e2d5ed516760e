// The real program runs a script that searches the screen for a window this
// test painted, and prints what it found into a file of its own.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/ImageWindow.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

using namespace orvexa;
using test::ImageWindow;

TEST(Search, AScriptFindsThePaintedImageAndColourAndSaysWhyAFileCannotBeRead) {
    test::WorkingDir dir;
    QImage image(24, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            image.setPixel(x, y, qRgb(17 + x * 9, 230 - y * 11, 99 + x + y));
    ASSERT_TRUE(image.save(dir.Path() + QStringLiteral("/target.png")));
    ImageWindow window(image);
    window.move(1200, 960);  // clear of the program's windows
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Run, from outside, once the window shows; the script prints into a
    // file of its own and ends it with a last line.
    dir.Write(QStringLiteral("search.orx"),
              "//SHORTDESC: Search\n"
              "//BIND MAIN\n"
              "import sys, orvex\n"
              "out = open('found.txt', 'w')\n"
              "w, h = orvex.ScreenX(), orvex.ScreenY()\n"
              "print(orvex.ImageSearch(0, 0, w - 1, h - 1, 'target.png'), file=out)\n"
              "print(orvex.PixelSearch(w - 1, h - 1, 0, 0, '1AE664'), file=out)\n"
              "print(orvex.PixelSearch(0, 0, w - 1, h - 1, '1ae664', 0), file=out)\n"
              "try:\n"
              "    orvex.ImageSearch(0, 0, w - 1, h - 1, 'nothing.png')\n"
              "except RuntimeError as e:\n"
              "    print('RuntimeError:', e, file=out)\n"
              "print('end', file=out)\n"
              "out.close()\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString main = orvexa.WaitForMainWindow();
    ASSERT_FALSE(main.isEmpty()) << orvexa.StandardError().toStdString();
    window.raise();
    QCoreApplication::processEvents();
    orvexa.Run(main);
    const QString found = dir.Path() + QStringLiteral("/found.txt");
    QString text;
    const bool ended = [&] {
        for (int i = 0; i < 200; ++i) {
            QFile file(found);
            if (file.open(QIODevice::ReadOnly))
                text = QString::fromUtf8(file.readAll());
            if (text.endsWith(QStringLiteral("end\n")))
                return true;
            QTest::qWait(50);
        }
        return false;
    }();
    ASSERT_TRUE(ended) << text.toStdString() << orvexa.StandardError().toStdString();
    // Pixel (1, 0) of the image is 1A E6 64: the first of its colour.
    EXPECT_EQ(text, QStringLiteral("(1200, 960)\n(1201, 960)\n(1201, 960)\n"
                                   "RuntimeError: Cannot read the image nothing.png: File not found\nend\n"));
    orvexa.MenuExit(main);
    EXPECT_EQ(orvexa.WaitForExit(), 0);
}
