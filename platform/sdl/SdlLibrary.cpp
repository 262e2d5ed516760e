#include "platform/sdl/SdlLibrary.h"

#include <dlfcn.h>

namespace orvexa::platform::sdl {
namespace {

// SDL2's stable interface, by the file name its packages install.
constexpr const char* kLibraryName = "libSDL2-2.0.so.0";

struct Loaded {
    SdlLibrary functions;
    QString error;
};

template <typename Function>
bool Bind(void* handle, const char* name, Function& slot, QString& error) {
    slot = reinterpret_cast<Function>(dlsym(handle, name));
    if (!slot && error.isEmpty())
        error = QStringLiteral("%1 has no %2").arg(QLatin1String(kLibraryName), QLatin1String(name));
    return slot != nullptr;
}

Loaded Load() {
    Loaded loaded;
    void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        loaded.error = QStringLiteral("The sound library could not be loaded: %1")
                           .arg(why ? QString::fromLocal8Bit(why) : QLatin1String(kLibraryName));
        return loaded;
    }
    SdlLibrary& f = loaded.functions;
    QString& error = loaded.error;
    Bind(handle, "SDL_GetError", f.GetError, error);
    Bind(handle, "SDL_SetHint", f.SetHint, error);
    Bind(handle, "SDL_InitSubSystem", f.InitSubSystem, error);
    Bind(handle, "SDL_QuitSubSystem", f.QuitSubSystem, error);
    Bind(handle, "SDL_RWFromFile", f.RWFromFile, error);
    Bind(handle, "SDL_LoadWAV_RW", f.LoadWAV_RW, error);
    Bind(handle, "SDL_FreeWAV", f.FreeWAV, error);
    Bind(handle, "SDL_OpenAudioDevice", f.OpenAudioDevice, error);
    Bind(handle, "SDL_PauseAudioDevice", f.PauseAudioDevice, error);
    Bind(handle, "SDL_QueueAudio", f.QueueAudio, error);
    Bind(handle, "SDL_ClearQueuedAudio", f.ClearQueuedAudio, error);
    Bind(handle, "SDL_CloseAudioDevice", f.CloseAudioDevice, error);
    // The handle stays open: the process keeps the library.
    return loaded;
}

}  // namespace

const SdlLibrary* Sdl(QString* error) {
    static const Loaded loaded = Load();
    if (!loaded.error.isEmpty()) {
        if (error)
            *error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

}  // namespace orvexa::platform::sdl
