#pragma once
// The media layer's error codes and their descriptions. The numbers follow the
// waveform-audio media layer of a Windows desktop, so the player's last-error
// code reads the way its users expect; the wording is our own.

#include "content/Errors.h"

#include <string>

namespace pikora {

namespace mci {
inline constexpr int NoError = 0;
inline constexpr int InvalidDeviceId = 257;     // no device is open
inline constexpr int Hardware = 262;            // the output went away while playing
inline constexpr int OutOfMemory = 264;
inline constexpr int FileNotFound = 275;
inline constexpr int DeviceNotReady = 276;      // no output device (no sound server)
inline constexpr int ExtensionNotFound = 281;   // no device type for the extension
inline constexpr int InvalidFile = 296;         // not a format the device plays
inline constexpr int FilenameRequired = 304;
inline constexpr int OutputsUnsuitable = 326;   // the output refuses the clip's format
inline constexpr int FileRead = 348;            // the file cannot be opened or read
// Codes from here on belong to a device driver; the layer has no text for them.
inline constexpr int CustomDriverBase = 512;
} // namespace mci

// The description of a media-layer code, or "原因不明のｴﾗｰ" when the layer has
// none for it. UTF-8, without a final full stop.
std::string mciErrorText(int code);

// A media-layer operation was refused. what() is the layer's description.
class EMCIDeviceError : public Exception {
public:
    explicit EMCIDeviceError(int code);
    int code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace pikora
