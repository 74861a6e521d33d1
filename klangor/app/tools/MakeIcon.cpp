// make-klangor-icon OUT.png [SIZE]: saves Klangor's drawn icon for the desktop entry.
#include "Icon.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-klangor-icon OUT.png [SIZE]\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int size = argc > 2 ? std::atoi(argv[2]) : 128;
    if (size < 16 || size > 1024 || !klangor::klangorIcon(size).save(argv[1])) {
        std::fprintf(stderr, "make-klangor-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
