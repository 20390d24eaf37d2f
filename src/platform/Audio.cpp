#include "platform/Audio.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QWaveDecoder>

#include <cmath>

namespace mj::Audio {

double LinearGain(int32_t hundredthsOfDb)
{
    return std::pow(10.0, hundredthsOfDb / 2000.0);
}

bool IsPlayableWave(const QString& path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // With the whole file at hand the decoder reads the header while opening;
    // a file too short or not a RIFF/WAVE file leaves the format invalid.
    QWaveDecoder decoder(&file);
    if (!decoder.open(QIODevice::ReadOnly))
        return false;
    return decoder.audioFormat().isValid();
}

namespace {

bool HasAudioOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

class QtSound : public Sound {
public:
    QtSound(const QAudioDevice& device, const QString& path) : effect_(device)
    {
        effect_.setSource(QUrl::fromLocalFile(path));
    }

    bool Play(bool loop) override
    {
        // QSoundEffect loads in the background and starts once loaded.
        effect_.setLoopCount(loop ? int(QSoundEffect::Infinite) : 1);
        effect_.play();
        return effect_.status() != QSoundEffect::Error;
    }

    bool Stop() override
    {
        // A stopped QSoundEffect starts from the beginning when played again.
        effect_.stop();
        return true;
    }

    bool SetVolume(int32_t hundredthsOfDb) override
    {
        effect_.setVolume(float(LinearGain(hundredthsOfDb)));
        return true;
    }

private:
    QSoundEffect effect_;
};

class QtBackend : public Backend {
public:
    bool Open() override { return HasAudioOutput(); }

    std::unique_ptr<Sound> Create(const QString& path) override
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !IsPlayableWave(path))
            return nullptr;
        return std::make_unique<QtSound>(device, path);
    }
};

std::unique_ptr<Backend>& Installed()
{
    static std::unique_ptr<Backend> backend;
    return backend;
}

// A recorded sound: logs each step into the state it shares with its back end.
class RecordedSound : public Sound {
    using Step = RecordingBackend::Step;

public:
    RecordedSound(std::shared_ptr<RecordingBackend::State> state, const QString& path)
        : state_(std::move(state)), path_(path)
    {
    }
    ~RecordedSound() override { state_->log.append(QStringLiteral("release ") + path_); }

    bool Play(bool loop) override
    {
        return record(Step::Play, loop ? QStringLiteral("play loop") : QStringLiteral("play once"));
    }
    bool Stop() override { return record(Step::Stop, QStringLiteral("stop")); }
    bool SetVolume(int32_t hundredthsOfDb) override
    {
        return record(Step::SetVolume, QStringLiteral("volume %1").arg(hundredthsOfDb));
    }

private:
    bool record(Step step, const QString& entry)
    {
        const bool ok = !state_->Fails(step);
        state_->log.append(ok ? entry : entry + QStringLiteral(" failed"));
        return ok;
    }

    std::shared_ptr<RecordingBackend::State> state_;
    QString path_;
};

} // namespace

Backend& Current()
{
    auto& backend = Installed();
    if (!backend)
        backend = MakeQtBackend();
    return *backend;
}

void SetBackend(std::unique_ptr<Backend> backend)
{
    Installed() = std::move(backend);
}

std::unique_ptr<Backend> MakeQtBackend()
{
    return std::make_unique<QtBackend>();
}

RecordingBackend::RecordingBackend() : state_(std::make_shared<State>()) {}

bool RecordingBackend::Open()
{
    const bool ok = !state_->Fails(Step::Open);
    state_->log.append(ok ? QStringLiteral("open") : QStringLiteral("open failed"));
    return ok;
}

std::unique_ptr<Sound> RecordingBackend::Create(const QString& path)
{
    const QString entry = QStringLiteral("create ") + path;
    QFile file(path);
    if (state_->Fails(Step::Create) || path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        state_->log.append(entry + QStringLiteral(" failed"));
        return nullptr;
    }
    state_->log.append(entry);
    return std::make_unique<RecordedSound>(state_, path);
}

void RecordingBackend::FailStep(Step step, bool fail)
{
    if (fail)
        state_->failing.insert(step);
    else
        state_->failing.erase(step);
}

void RecordingBackend::FailDevice(bool fail)
{
    state_->deviceFailed = fail;
}

} // namespace mj::Audio
