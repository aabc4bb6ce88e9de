#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <thread>

#include "core/context.h"

class QTimer;
class QWidget;

namespace varnok {

struct ListsReading;

// Fills the three lists after the window shows: a folder of a hundred
// thousand documents takes a while to list and sort, and the window is drawn
// and in use meanwhile. The reading is done on a thread of its own and
// applied on the window's thread, to each list nothing has changed since;
// a list re-read in the meantime (a command, F5, a change in the folder, Open
// Lie set) is already newer.
class ListFiller : public QObject {
public:
    ListFiller(Context &ctx, QObject *parent);
    ~ListFiller() override;

    // Reads the lie folder the state names now; at start-up the stale
    // temporaries are swept out on the way, and the copies a sync tool made
    // of the settings file are merged once the reading is in.
    void start(bool startingUp = true);
    // Reads the folder again for changes made outside, keeping the lists'
    // selections; asked while a reading is under way, once that one is in.
    void refresh();
    // The same once the window has been drawn for the first time, or a
    // moment after it should have been: until then the reading would take
    // the processor from the drawing.
    void startAfterFirstPaint(QWidget *window);
    bool busy() const { return pending_ || reading_ != nullptr; }
    // Waits for the reading under way and fills the lists now, for a command
    // that must find them whole (Start Test pressed the moment the window shows).
    void finish();
    // Called as each reading begins, on the window's thread.
    std::function<void()> beforeReading;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Kind { StartUp, Reread, Refresh };
    void begin(Kind kind);
    void arrived();
    void apply(std::unique_ptr<ListsReading> reading);
    void refreshIfAsked();

    Context &ctx_;
    std::unique_ptr<ListsReading> reading_;
    std::thread worker_;
    // Tells the reading the worker finished from one an earlier start left.
    unsigned serial_ = 0;
    // Written by the reading thread before it ends; read after joining it.
    bool complete_ = false;
    bool ready_ = false;
    // Until a start-up reading is in, every reading looks for the copies.
    bool settingsUnmerged_ = false;
    bool refreshAgain_ = false;
    // While a question is on the screen the reading waits, as the folder's
    // own changes do: the command that asked may still walk its lists.
    QTimer *wait_ = nullptr;
    // Waiting for the first paint of window_.
    bool pending_ = false;
    QWidget *window_ = nullptr;
    QTimer *unpainted_ = nullptr;
};

} // namespace varnok
