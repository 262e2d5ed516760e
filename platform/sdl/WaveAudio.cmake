# The wave-audio device over SDL2 audio, and its recording fake.
target_sources(orvexa_platform PRIVATE
  sdl/SdlWaveAudio.cpp
  sdl/AudioDeviceCloser.cpp
)
target_link_libraries(orvexa_platform PRIVATE PkgConfig::SDL2)

target_sources(orvexa_platform_fake PRIVATE
  fake/FakeWaveAudio.cpp
)
