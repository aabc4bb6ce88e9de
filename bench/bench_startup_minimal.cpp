// The smallest window the program's start-up is measured against: a main
// window holding a tab widget with five empty lists, as large as the
// program's default window. Reports its first paint (firstpaint.h) and ends.
#include <QListWidget>
#include <QMainWindow>
#include <QTabWidget>

#include "firstpaint.h"

int main(int argc, char **argv)
{
    FirstPaintApp app(argc, argv);
    QMainWindow window;
    auto *tabs = new QTabWidget(&window);
    for (const char *name : {"Start Here", "Essays", "Lies", "Tests", "Program Options"})
        tabs->addTab(new QListWidget(tabs), name);
    window.setCentralWidget(tabs);
    window.resize(415, 400);
    app.watched = &window;
    app.afterPaint = [] { _exit(0); };
    window.show();
    return app.exec();
}
