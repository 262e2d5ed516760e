# The SDL wave-audio device, played through SDL's disk driver.
orvexa_test(test_sdl_wave SOURCES SdlWaveAudioTest.cpp LIBS orvexa_platform_fake
  ENV SDL_AUDIODRIVER=disk)
