// The audio back end: wave files played one at a time, once or looped, with a
// volume in hundredths of a decibel.
//
// The sound service (Mod_Sound) holds the one current sound and talks to the
// back end only through this interface. Every step reports success; the
// service decides what a failure means. The back end is chosen process-wide:
// the default plays through Qt Multimedia, tests install the recording one.
//
// No device or no file means silence: the Qt back end refuses to open or to
// create a sound when Qt Multimedia has no audio output, and it never raises.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <set>

namespace mj::Audio {

// Volume range in hundredths of a decibel: -3000 (-30 dB) to 0 (full).
constexpr int32_t MinVolume = -3000;
constexpr int32_t MaxVolume = 0;

// The linear gain of a volume in hundredths of a decibel: 10^(v / 2000).
double LinearGain(int32_t hundredthsOfDb);

// True when the file is a wave file Qt Multimedia can play (a RIFF/WAVE
// header with a PCM or float format it understands).
bool IsPlayableWave(const QString& path);

// One sound created from a wave file. Destroying it releases it.
class Sound {
public:
    virtual ~Sound() = default;
    // Starts playing, looped or once.
    virtual bool Play(bool loop) = 0;
    // Stops and rewinds to the start.
    virtual bool Stop() = 0;
    // Volume in hundredths of a decibel (MinVolume..MaxVolume).
    virtual bool SetVolume(int32_t hundredthsOfDb) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    // Opens the sound device; false when there is none.
    virtual bool Open() = 0;
    // A sound from a wave file; null when the file is missing, unreadable or
    // not a wave file, or when there is no device.
    virtual std::unique_ptr<Sound> Create(const QString& path) = 0;
};

// The back end in use (the Qt one unless another was installed).
Backend& Current();
// Installs a back end; null goes back to the Qt one. Sounds created by the
// back end that is replaced must be released before it is.
void SetBackend(std::unique_ptr<Backend> backend);

// Plays through Qt Multimedia's QSoundEffect.
std::unique_ptr<Backend> MakeQtBackend();

// A back end that plays nothing and logs every call, for tests. Creating a
// sound succeeds when the file can be opened for reading. Any step can be
// made to fail, or the whole device.
class RecordingBackend : public Backend {
public:
    enum class Step { Open, Create, Play, Stop, SetVolume };

    RecordingBackend();

    bool Open() override;
    std::unique_ptr<Sound> Create(const QString& path) override;

    // Every call in order: "open", "create <path>", "play loop",
    // "play once", "stop", "volume <v>", "release <path>"; a failed step ends
    // in " failed". Sounds log here even after the back end is replaced.
    const QStringList& Log() const { return state_->log; }
    void ClearLog() { state_->log.clear(); }

    // Makes one step fail from now on (true) or work again (false).
    void FailStep(Step step, bool fail = true);
    // The device goes away: every step fails.
    void FailDevice(bool fail = true);

    struct State {
        QStringList log;
        std::set<Step> failing;
        bool deviceFailed = false;
        bool Fails(Step step) const { return deviceFailed || failing.count(step) > 0; }
    };

private:
    std::shared_ptr<State> state_;
};

} // namespace mj::Audio
