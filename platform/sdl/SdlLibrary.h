#pragma once

#include <QString>

#include <SDL.h>

namespace orvexa::platform::sdl {

// SDL2, loaded when the program first plays a sound: most runs never do,
// and the library, with the sound servers' clients and codecs it loads,
// would otherwise cost every start its loading. The functions the
// wave-audio device calls, with SDL's own declarations.
struct SdlLibrary {
    decltype(&SDL_GetError) GetError = nullptr;
    decltype(&SDL_SetHint) SetHint = nullptr;
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_RWFromFile) RWFromFile = nullptr;
    decltype(&SDL_LoadWAV_RW) LoadWAV_RW = nullptr;
    decltype(&SDL_FreeWAV) FreeWAV = nullptr;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
    decltype(&SDL_QueueAudio) QueueAudio = nullptr;
    decltype(&SDL_ClearQueuedAudio) ClearQueuedAudio = nullptr;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice = nullptr;
};

// The library, loaded by the first call, from any thread; the process keeps
// it. Null when it cannot be loaded, `error` (when given) then says why.
const SdlLibrary* Sdl(QString* error = nullptr);

}  // namespace orvexa::platform::sdl
