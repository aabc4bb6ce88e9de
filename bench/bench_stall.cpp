// Runs the actions that handle the most data in the real window (offscreen)
// and prints, per action and size, the longest time the window's event loop
// did not answer: a 10 ms heartbeat timer notes every gap between its ticks.
// Dialogs on the way are answered as a person would, from the event loop.
//
//   bench_stall                 every action at every size
//   bench_stall lie view        only the actions named (lie, view, list,
//                               generate, history), at every size
//   bench_stall --small ...     the smaller sizes only
//
// The folders go under $TMPDIR (or /tmp) and are removed afterwards.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "benchjournal.h"
#include "gui/TfHello.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHeartbeatMs = 10;
// How long the loop keeps being watched after an action reports done, so the
// painting and anything filled in behind are counted too.
constexpr int kSettleMs = 600;
constexpr int kTimeoutMs = 600000;

// Notes the longest gap between ticks of a 10 ms timer.
class Heartbeat {
public:
    Heartbeat()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kHeartbeatMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        worst_ = 0;
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    qint64 stop()
    {
        tick();
        timer_.stop();
        return worst_;
    }

private:
    void tick()
    {
        const qint64 now = clock_.elapsed();
        worst_ = std::max(worst_, now - last_ - kHeartbeatMs);
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};

// Answers every modal dialog that comes up: the test's Full button, OK for
// the essay type, the proposed line count and any message.
class DialogAnswerer {
public:
    DialogAnswerer()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }

private:
    void answer()
    {
        QWidget *top = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<QDialog *>(top);
        if (!dialog || !dialog->isVisible())
            return;
        if (auto *full = dialog->findChild<QPushButton *>("bFull")) {
            full->click();
            return;
        }
        if (dialog->objectName() == "ProgressDialog")
            return;
        // The corpus is plain text: every line of it counts.
        if (auto *plain = dialog->findChild<QAbstractButton *>("rgET1"))
            plain->click();
        dialog->accept();
    }
    QTimer timer_;
};

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string sentenceText(std::size_t bytes)
{
    static const char *const words[] = {"the", "lie",  "was", "never", "quite",   "true",   "and",   "yet",
                                        "I",   "said", "it",  "again", "because", "nobody", "asked", "why"};
    std::string text;
    text.reserve(bytes + 100);
    unsigned n = 7;
    while (text.size() < bytes) {
        for (int sentence = 0; sentence < 3; ++sentence) {
            for (int w = 0; w < 9; ++w) {
                n = n * 1103515245u + 12345u;
                text += words[(n >> 16) % 16];
                text += w == 8 ? ". " : " ";
            }
        }
        text += "\r\n";
    }
    return text;
}

// A lie folder of its own per action, with settings so no first-start
// question comes up.
class Folder {
public:
    explicit Folder(const std::string &what)
    {
        path_ = (fs::temp_directory_path() / ("varnok-stall-" + what + "-" + std::to_string(getpid()))).string() + "/";
        fs::remove_all(path_);
        fs::create_directories(path_);
        writeFile(path_ + "Varnok.Ini", "[Settings]\r\nWidth=800\r\nHeight=600\r\n");
    }
    ~Folder() { fs::remove_all(path_); }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

struct Window {
    explicit Window(const Folder &folder, varnok::ListsFill fill = varnok::ListsFill::Now)
    {
        window = std::make_unique<varnok::TfHello>(varnok::TfHello::Services{clock, random});
        window->start({folder.path()}, fill);
        window->show();
        if (fill == varnok::ListsFill::Now)
            QApplication::processEvents();
    }
    template <typename T = QWidget>
    T *find(const char *name)
    {
        return window->findChild<T *>(name);
    }
    void click(const char *name) { find<QAbstractButton>(name)->click(); }
    void selectAll(const char *list) { find<QListView>(list)->selectAll(); }

    varnok::SystemClock clock;
    varnok::SeededRandom random{1};
    std::unique_ptr<varnok::TfHello> window;
};

// Starts the action from the event loop, as a click would, and watches the
// loop until it is done and a little beyond.
qint64 measure(const std::function<void()> &action, const std::function<bool()> &done)
{
    DialogAnswerer answerer;
    Heartbeat heartbeat;
    heartbeat.start();
    QTimer::singleShot(0, action);
    QElapsedTimer total;
    total.start();
    qint64 doneAt = -1;
    while (total.elapsed() < kTimeoutMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (doneAt < 0 && done())
            doneAt = total.elapsed();
        if (doneAt >= 0 && total.elapsed() - doneAt >= kSettleMs)
            break;
    }
    const qint64 worst = heartbeat.stop();
    if (doneAt < 0)
        std::printf("  (did not finish)\n");
    return worst;
}

void report(const char *action, const std::string &size, qint64 stall)
{
    std::printf("%-34s %-16s %8lld ms%s\n", action, size.c_str(), static_cast<long long>(stall),
                stall > 100 ? "   over 100 ms" : "");
    std::fflush(stdout);
}

std::string megabytes(std::size_t bytes)
{
    return std::to_string(bytes >> 20) + " MB";
}

void longLieInTest(std::size_t bytes)
{
    Folder folder("lie");
    std::string line = sentenceText(bytes);
    line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    line.resize(bytes, 'x');
    writeFile(folder.path() + "long.lie", line + "\r\n");
    Window w(folder);
    auto *next = w.find("bAskNext");
    const qint64 stall = measure([&] { w.click("bAskStart"); }, [&] { return next->isVisible(); });
    report("one-line Lie shown in a test", bytes >= (1 << 20) ? megabytes(bytes) : std::to_string(bytes >> 10) + " KB",
           stall);
}

void view(std::size_t bytes)
{
    Folder folder("view");
    writeFile(folder.path() + "big.ess", sentenceText(bytes));
    Window w(folder);
    w.window->setPage(varnok::Page::Essays);
    w.selectAll("FileListBox2");
    auto *memo = w.find("Memo1");
    const qint64 stall = measure([&] { w.click("bEssaysView"); }, [&] { return memo->isVisible(); });
    report("View", megabytes(bytes), stall);
}

void listing(int count)
{
    Folder folder("list");
    for (int i = 0; i < count; ++i)
        writeFile(folder.path() + "Statement " + std::to_string(i) + ".lie", "Statement\r\n");
    std::string size = std::to_string(count) + " documents";
    // As the program starts: the window shows first, the lists fill after.
    QElapsedTimer startUp;
    startUp.start();
    Window w(folder, varnok::ListsFill::Later);
    report("start-up to show (no loop yet)", size, startUp.elapsed());
    qint64 stall = measure([] {}, [&] { return !w.window->listsFilling(); });
    report("start-up: lists filled", size, stall);
    w.window->setPage(varnok::Page::Lies);
    QApplication::processEvents();
    auto *list = w.find<QListView>("FileListBox1");
    stall = measure([&] { w.click("bLiesSelectAll"); },
                    [&] { return list->selectionModel()->selectedIndexes().size() == count; });
    report("Lies: Select All", size, stall);
    // New Lie writes one file and reads every list again.
    const std::string added = folder.path() + "This is a lie.lie";
    stall = measure([&] { w.click("bLiesNew"); }, [&] { return fs::exists(added); });
    report("Lies: New (lists read again)", size, stall);
}

void generate(std::size_t bytes)
{
    Folder folder("generate");
    const std::size_t perFile = std::min<std::size_t>(bytes, 1 << 20);
    const std::string text = sentenceText(perFile);
    for (std::size_t i = 0; i * perFile < bytes; ++i)
        writeFile(folder.path() + "Essay " + std::to_string(i) + ".ess", text);
    Window w(folder);
    w.window->setPage(varnok::Page::Essays);
    w.selectAll("FileListBox2");
    const auto generated = [&] {
        for (const auto &entry : fs::directory_iterator(folder.path()))
            if (entry.path().extension() == ".gen")
                return true;
        return false;
    };
    const qint64 stall = measure([&] { w.click("bFunEssay"); }, generated);
    report("Generate", megabytes(bytes), stall);
}

void history(int lies, int answers)
{
    Folder folder("history");
    bench::writeJournal(folder.path(), lies, answers, "Because.", true);
    Window w(folder);
    w.window->setPage(varnok::Page::Lies);
    w.selectAll("FileListBox1");
    const qint64 stall = measure([&] { w.click("bLiesHistory"); },
                                 [&] {
                                     auto *chart = w.window->findChild<QWidget *>("ChartForm");
                                     return chart && chart->isVisible();
                                 });
    report("History", std::to_string(lies) + " x " + std::to_string(answers), stall);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool small = false;
    std::set<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--small")
            small = true;
        else
            wanted.insert(arg);
    }
    const auto run = [&](const char *name) { return wanted.empty() || wanted.count(name) > 0; };

    std::printf("%-34s %-16s %11s\n", "action", "size", "longest stall");
    if (run("lie")) {
        longLieInTest(100 << 10);
        longLieInTest(1 << 20);
        if (!small)
            longLieInTest(5 << 20);
    }
    if (run("view")) {
        view(5 << 20);
        if (!small)
            view(50 << 20);
    }
    if (run("list")) {
        listing(10000);
        if (!small)
            listing(100000);
    }
    if (run("generate")) {
        generate(10 << 20);
        if (!small)
            generate(100 << 20);
    }
    if (run("history")) {
        history(100, 50);
        if (!small)
            history(1000, 50);
    }
    return 0;
}
