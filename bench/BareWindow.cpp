// The yardstick of the first-paint benchmark: a Qt Widgets window with a title and a label, of
// the studio window's size, and nothing else.
//
//   bench-bare-window [TITLE]
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"Bare window"_s);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(u"A bare Qt Widgets window"_s), 0, Qt::AlignCenter);
    window.resize(1240, 780);
    window.show();
    return QApplication::exec();
}
