// The user's idle time from the X screen-saver extension. Both libraries are
// loaded at run time, so the programs build and run on machines without X.
#include "platform/Idle.h"

#include <dlfcn.h>
#include <cstdlib>

namespace cx {

namespace {

// The extension's reply record, laid out as libXss declares it.
struct tScreenSaverInfo {
    unsigned long window;
    int state;
    int kind;
    unsigned long tilOrSince;
    unsigned long idle;  // milliseconds since the last input
    unsigned long eventMask;
};

struct tDisplay;
using tOpenDisplay = tDisplay* (*)(const char*);
using tCloseDisplay = int (*)(tDisplay*);
using tDefaultRootWindow = unsigned long (*)(tDisplay*);
using tFree = int (*)(void*);
using tQueryExtension = int (*)(tDisplay*, int*, int*);
using tAllocInfo = tScreenSaverInfo* (*)();
using tQueryInfo = int (*)(tDisplay*, unsigned long, tScreenSaverInfo*);

// The entry points, resolved once; the libraries then stay loaded, since
// unloading Xlib while it may still hold handlers is not safe.
struct tXFunctions {
    tOpenDisplay openDisplay = nullptr;
    tCloseDisplay closeDisplay = nullptr;
    tDefaultRootWindow defaultRootWindow = nullptr;
    tFree free = nullptr;
    tQueryExtension queryExtension = nullptr;
    tAllocInfo allocInfo = nullptr;
    tQueryInfo queryInfo = nullptr;

    bool Complete() const {
        return openDisplay && closeDisplay && defaultRootWindow && free && queryExtension &&
               allocInfo && queryInfo;
    }
};

template <typename T>
T Resolve(void* library, const char* name) {
    return reinterpret_cast<T>(dlsym(library, name));
}

tXFunctions LoadXFunctions() {
    tXFunctions functions;
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr) return functions;
    void* xss = dlopen("libXss.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (xss == nullptr) return functions;
    functions.openDisplay = Resolve<tOpenDisplay>(x11, "XOpenDisplay");
    functions.closeDisplay = Resolve<tCloseDisplay>(x11, "XCloseDisplay");
    functions.defaultRootWindow = Resolve<tDefaultRootWindow>(x11, "XDefaultRootWindow");
    functions.free = Resolve<tFree>(x11, "XFree");
    functions.queryExtension = Resolve<tQueryExtension>(xss, "XScreenSaverQueryExtension");
    functions.allocInfo = Resolve<tAllocInfo>(xss, "XScreenSaverAllocInfo");
    functions.queryInfo = Resolve<tQueryInfo>(xss, "XScreenSaverQueryInfo");
    return functions;
}

const tXFunctions& XFunctions() {
    static const tXFunctions functions = LoadXFunctions();
    return functions;
}

}  // namespace

int64_t IdleMilliseconds() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return -1;
    const tXFunctions& x = XFunctions();
    if (!x.Complete()) return -1;
    tDisplay* connection = x.openDisplay(display);
    if (connection == nullptr) return -1;
    int64_t idle = -1;
    int eventBase = 0;
    int errorBase = 0;
    // Without the extension a query would raise an X error, whose default
    // handler ends the process; so ask for the extension first.
    if (x.queryExtension(connection, &eventBase, &errorBase) != 0) {
        tScreenSaverInfo* info = x.allocInfo();
        if (info != nullptr) {
            if (x.queryInfo(connection, x.defaultRootWindow(connection), info) != 0) {
                idle = static_cast<int64_t>(info->idle);
            }
            x.free(info);
        }
    }
    x.closeDisplay(connection);
    return idle;
}

}  // namespace cx
