#include <QImage>
#include <QPlainTextEdit>
#include <QtTest>

#include "gui/StretchedPicture.h"
#include "core/ui.h"
#include "gui/TextArea.h"
#include "gui/TfHello.h"
#include "gui/bytetext.h"
#include "gui/guitest.h"
#include "support/fakeui.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// Lines of a known length, so slice boundaries fall where a test expects.
std::string manyLines(std::size_t bytes)
{
    std::string text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "line " + std::to_string(i) + " of a long essay, in which nothing much happens\n";
    text += "last line without an end";
    return text;
}

} // namespace

class TextAreaTest : public QObject {
    Q_OBJECT
private slots:
    void bytesComeBackUnchanged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("ascii lines") << QByteArray("first\nsecond\n\nfourth\n");
        QTest::newRow("empty lines first and last") << QByteArray("\n\nthird\n\n");
        QTest::newRow("utf-8") << QByteArray("na\xc3\xafve caf\xc3\xa9 \xe2\x82\xac");
        QTest::newRow("latin-1") << QByteArray("na\xefve caf\xe9 \xa0no-break");
        QTest::newRow("utf-8 no-break space") << QByteArray(
            "a\xc2\xa0"
            "b\n");
        QTest::newRow("broken utf-8 sequence") << QByteArray("ok \xe2\x82 cut");
    }
    void bytesComeBackUnchanged()
    {
        QFETCH(QByteArray, bytes);
        TextArea area(nullptr);
        const std::string given = bytes.toStdString();
        area.setBytes(given);
        QString shown = area.document()->toRawText();
        shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        QCOMPARE(shown, textFromBytes(given));
        QCOMPARE(area.bytes(), given);
        QVERIFY(!area.document()->isModified());
    }

    void editedLatin1TextStaysLatin1UnlessItCannot()
    {
        TextArea area(nullptr);
        area.setBytes("caf\xe9");
        area.moveCursor(QTextCursor::End);
        area.insertPlainText(QString(QChar(0xe8)));
        QCOMPARE(area.bytes(), std::string("caf\xe9\xe8"));
        // A character Latin-1 has no byte for turns the whole text into UTF-8
        // rather than losing it.
        area.insertPlainText(QString(QChar(0x20ac)));
        QCOMPARE(area.bytes(), std::string("caf\xc3\xa9\xc3\xa8\xe2\x82\xac"));
    }

    void typingComesBackOnEveryReadEvenBeforeTheTextIsAllIn()
    {
        TextArea area(nullptr);
        area.setBytes(manyLines(1u << 20));
        QTest::keyClicks(&area, "mine ");
        for (int read = 0; read < 2; ++read, area.fillAll())
            QCOMPARE(area.bytes(), "mine " + manyLines(1u << 20));
    }

    void largeTextShowsAtOnceAndFillsInBehind()
    {
        const std::string text = manyLines(3u << 20);
        TextArea area(nullptr);
        area.setBytes(text);
        const qsizetype shownFirst = area.document()->characterCount();
        QVERIFY(shownFirst > 1000);
        QVERIFY(shownFirst < static_cast<qsizetype>(text.size()) / 2);
        QTRY_COMPARE_WITH_TIMEOUT(area.toPlainText().size(), static_cast<qsizetype>(text.size()), 20000);
        QCOMPARE(area.bytes(), text);
        QVERIFY(!area.document()->isModified());
    }

    void bytesAskedForEarlyWaitForTheWholeText()
    {
        const std::string text = manyLines(5u << 20);
        TextArea area(nullptr);
        area.setBytes(text);
        QCOMPARE(area.bytes(), text);
        // A new text drops what was still to come of the old one.
        area.setBytes(text);
        area.setBytes("short");
        QTest::qWait(50);
        QCOMPARE(area.bytes(), std::string("short"));
    }

    void aVeryLongLineIsShownCutAndGivenBackWhole_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<qsizetype>("restBytes"); // -1: shown whole
        const auto limit = static_cast<qsizetype>(kLongestShownLine);
        QTest::newRow("at the limit") << QByteArray(limit, 'x') << QString(limit, 'x') << qsizetype(-1);
        QTest::newRow("five megabytes") << QByteArray(5 << 20, 'y') << QString(limit, 'y') << (5 << 20) - limit;
        // Two bytes a character: the cut never splits one.
        QByteArray accents;
        for (qsizetype i = 0; i < limit; ++i)
            accents += "\xc3\xa9";
        QTest::newRow("utf-8, the limit between characters") << accents << QString(limit / 2, QChar(0xe9)) << limit;
        QTest::newRow("utf-8, the limit inside a character")
            << QByteArray("a") + accents << QString("a") + QString(limit / 2 - 1, QChar(0xe9)) << limit + 2;
        QTest::newRow("latin-1") << QByteArray(limit + 1, '\xe9') << QString(limit, QChar(0xe9)) << qsizetype(1);
    }
    void aVeryLongLineIsShownCutAndGivenBackWhole()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        QFETCH(qsizetype, restBytes);
        const std::string text = "before\n" + line.toStdString() + "\nafter\n";
        TextArea area(nullptr);
        area.setBytes(text);
        area.fillAll();
        const QString note = QString(" \u2026 [the rest of this line, %1 bytes, is not shown]").arg(restBytes);
        QCOMPARE(area.toPlainText(), "before\n" + shown + (restBytes < 0 ? QString() : note) + "\nafter\n");
        QCOMPARE(area.showsLinesCut(), restBytes >= 0);
        QCOMPARE(area.bytes(), text);
        // A new text that needs no cut is shown whole again.
        area.setBytes("short\n");
        QVERIFY(!area.showsLinesCut());
        QCOMPARE(area.bytes(), std::string("short\n"));
    }

    // The first "HIT" of the text is selected by its bytes, as Find shows a match.
    void aSelectionGivenInBytesFallsOnTheCharactersShown_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("shownAt"); // where the selection starts on the screen
        const auto limit = static_cast<int>(kLongestShownLine);
        QTest::newRow("ascii") << QByteArray("one\ntwo HIT\n") << QString("HIT") << 8;
        // Two, three and four bytes a character; the last takes two places on the screen.
        QTest::newRow("utf-8") << QByteArray("\xc3\xa4 \xe2\x82\xac \xf0\x9f\x98\x80\nHIT") << QString("HIT") << 7;
        QTest::newRow("latin-1") << QByteArray("caf\xe9\nna\xefve HIT") << QString("HIT") << 11;
        const QByteArray cut = QByteArray(limit + 500, 'x');
        const int note = static_cast<int>(QString(" \u2026 [the rest of this line, 500 bytes, is not shown]").size());
        QTest::newRow("after a line shown cut") << cut + "\nthe HIT" << QString("HIT") << limit + note + 5;
        // At the end of a long line: shown from a little before it, after a note.
        const QString skipped =
            QString("[the first %1 bytes of this line are not shown] \u2026 ").arg((5 << 20) + 3 - limit);
        QTest::newRow("at the end of five megabytes")
            << QByteArray(5 << 20, 'x') + "HIT" << QString("HIT") << static_cast<int>(skipped.size()) + limit - 3;
    }
    void aSelectionGivenInBytesFallsOnTheCharactersShown()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, selected);
        QFETCH(int, shownAt);
        TextArea area(nullptr);
        area.setBytes(bytes.toStdString());
        area.selectBytes(static_cast<std::size_t>(bytes.indexOf("HIT")), 3);
        QCOMPARE(area.textCursor().selectedText(), selected);
        QCOMPARE(area.textCursor().selectionStart(), shownAt);
        QCOMPARE(area.bytes(), bytes.toStdString());
    }

    void aSelectionInABigTextDoesNotWaitForTheRest()
    {
        const std::string text = manyLines(1u << 20) + "\nHIT\n" + manyLines(4u << 20);
        TextArea area(nullptr);
        area.setBytes(text);
        area.selectBytes(text.find("HIT"), 3);
        QCOMPARE(area.textCursor().selectedText(), QString("HIT"));
        QVERIFY(area.document()->characterCount() < static_cast<int>(text.size()) / 2);
        QCOMPARE(area.bytes(), text);
    }

    void textFromBytesShowsInvalidUtf8AsLatin1()
    {
        QCOMPARE(textFromBytes("caf\xc3\xa9"), QString("caf") + QChar(0xe9));
        QCOMPARE(textFromBytes("caf\xe9"), QString("caf") + QChar(0xe9));
        QCOMPARE(textFromBytes(std::string("a\0b", 3)), QString(QLatin1String("a\0b", 3)));
        QCOMPARE(utf8Bytes(QString("caf") + QChar(0xe9)), std::string("caf\xc3\xa9"));
    }

    void buildingTheWindowOnlyBuildsIt()
    {
        // No start-up yet: no lie folder, no question asked (a first start
        // would ask, and this test would hang), and the built-in help and
        // picture come from the resources.
        FixedClock clock{DateTime{2026, 12, 7, 17, 27, 0, 0}};
        ScriptedRandom random;
        TfHello window(TfHello::Services{clock, random});
        QVERIFY(window.state().lieFolder.empty());
        const auto *memo = window.findChild<QPlainTextEdit *>("Memo1");
        QVERIFY(memo->toPlainText().startsWith("Varnok Help\n\nVarnok does two things."));
        QVERIFY(memo->toPlainText().endsWith("a launcher of his own.\n"));
        const QImage picture = window.findChild<StretchedPicture *>("Image1")->picture();
        QCOMPARE(picture.size(), QSize(162, 193));
        QVERIFY(picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).colorCount() <=
                16);
    }
};

VARNOK_GUI_TEST(TextAreaTest);
#include "textarea_test.moc"
