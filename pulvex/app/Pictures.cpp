#include "Pictures.h"

#include <QtGlobal>

// The pictures are compiled into the library; a static library's resources must be registered
// by hand, since nothing refers to them by name.
static void registerPictures() {
    Q_INIT_RESOURCE(pulvex);
}

namespace pulvex_app {

QImage loadPicture(const char* name) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    return QImage(QString::fromLatin1(name));
}

} // namespace pulvex_app
