#pragma once

// While one lives, what is written on the standard error goes nowhere: the audio libraries SDL
// loads on Linux write their complaints straight there while a device is looked for (ALSA
// alone prints eight lines when there is no sound card). Windows' drivers print nothing, so
// there it does nothing.
class QuietStandardError {
  public:
    QuietStandardError();
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    int saved = -1;
};
