// Saves what an X server's screen shows as a PNG: trune-screen-grab <file.png>. For looking at the
// program by hand under Xvfb, where no screenshot tool is installed.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: trune-screen-grab <file.png>\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not grab the screen into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
