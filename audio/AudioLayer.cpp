#include "audio/AudioLayer.h"

// Sections: a stream (its WAV and its converter) | the device and its mixing
// callback | errors and handles | the six calls.

#include "audio/WavFile.h"
#include "base/LiveCounts.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr Uint16 kDeviceBufferFrames = 1024;
constexpr Uint32 kMaxFrequency = 384000;
constexpr SDL_AudioFormat kWavSampleFormat = AUDIO_S16LSB;

struct Stream
{
    base::LiveCount<base::Counted::AudioStreams> counted;
    AudioHandle handle = 0;
    WavData wav;                  // points into the caller's memory
    std::size_t position = 0;     // bytes of wav.samples handed on so far
    bool playing = false;
    SDL_AudioStream* converter = nullptr;  // null when the device takes the samples as they are
    std::size_t deviceFrameBytes = 0;      // with a converter: the frames it makes ...
    std::size_t convertedFrames = 0;       // ... how many the whole file makes ...
    std::size_t emittedFrames = 0;         // ... and how many have been played

    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    ~Stream()
    {
        if (converter)
            SDL_FreeAudioStream(converter);
    }

    void rewind()
    {
        position = 0;
        emittedFrames = 0;
        if (converter)
            SDL_AudioStreamClear(converter);
    }

    // Writes up to `want` bytes in the device format; fewer means the stream ended.
    int produce(Uint8* dst, int want)
    {
        return converter ? produceConverted(dst, want) : produceDirect(dst, want);
    }

    int produceDirect(Uint8* dst, int want)
    {
        const std::size_t left = wav.sampleBytes - position;
        const std::size_t n = std::min(left, static_cast<std::size_t>(want));
        std::memcpy(dst, wav.samples + position, n);
        position += n;
        return static_cast<int>(n);
    }

    // SDL's converter keeps back the input that its resampler still needs, and
    // its flush does not always hand all of it on; so the end is fed with
    // silence, and the stream ends after exactly the frames its length makes at
    // the device rate.
    int produceConverted(Uint8* dst, int want)
    {
        constexpr std::size_t kFeedBytes = 4096;
        static const Uint8 kSilentFeed[kFeedBytes] = {};
        int got = 0;
        while (got < want && emittedFrames < convertedFrames) {
            if (SDL_AudioStreamAvailable(converter) > 0) {
                const std::size_t left = (convertedFrames - emittedFrames) * deviceFrameBytes;
                const int ask = static_cast<int>(std::min(left, static_cast<std::size_t>(want - got)));
                const int n = SDL_AudioStreamGet(converter, dst + got, ask);
                if (n <= 0)
                    break;  // the converter failed: end the stream rather than spin
                got += n;
                emittedFrames += static_cast<std::size_t>(n) / deviceFrameBytes;
            } else if (position < wav.sampleBytes) {
                const std::size_t n = std::min(kFeedBytes, wav.sampleBytes - position);
                if (SDL_AudioStreamPut(converter, wav.samples + position, static_cast<int>(n)) != 0)
                    break;
                position += n;
            } else if (SDL_AudioStreamPut(converter, kSilentFeed, static_cast<int>(kFeedBytes)) != 0) {
                break;
            }
        }
        return got;
    }
};

struct Device
{
    base::LiveCount<base::Counted::AudioDevices> counted;
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec spec{};
    std::vector<Uint8> scratch;
    std::vector<std::unique_ptr<Stream>> streams;  // guarded by SDL_LockAudioDevice

    // Runs on SDL's audio thread.
    void fill(Uint8* out, int len)
    {
        std::memset(out, spec.silence, static_cast<std::size_t>(len));
        const int chunk = static_cast<int>(scratch.size());
        bool first = true;
        for (const auto& stream : streams) {
            if (!stream->playing)
                continue;
            for (int done = 0; done < len && stream->playing;) {
                const int want = std::min(chunk, len - done);
                const int n = stream->produce(scratch.data(), want);
                if (first)
                    std::memcpy(out + done, scratch.data(), static_cast<std::size_t>(n));
                else
                    SDL_MixAudioFormat(out + done, scratch.data(), spec.format, static_cast<Uint32>(n),
                                       SDL_MIX_MAXVOLUME);
                done += n;
                if (n < want)
                    stream->playing = false;  // played to its end
            }
            first = false;
        }
    }

    Stream* find(AudioHandle handle)
    {
        for (const auto& stream : streams) {
            if (stream->handle == handle)
                return stream.get();
        }
        return nullptr;
    }
};

void SDLCALL fillDeviceBuffer(void* userdata, Uint8* out, int len)
{
    static_cast<Device*>(userdata)->fill(out, len);
}

std::unique_ptr<Device> device;
AudioHandle lastHandle = 0;
thread_local int lastError = kAudioOk;
// Why there is no device: a stream asked for after a failed BASS_Init reports the
// cause (no device) rather than merely that nothing was initialised.
AudioErrorCode missingDevice = kAudioErrorNotInitialised;

bool fail(AudioErrorCode code)
{
    lastError = code;
    return false;
}

AudioHandle failStream(AudioErrorCode code)
{
    lastError = code;
    return 0;
}

bool succeed()
{
    lastError = kAudioOk;
    return true;
}

AudioHandle nextHandle()
{
    if (++lastHandle == 0)
        ++lastHandle;
    return lastHandle;
}

class DeviceLock
{
public:
    explicit DeviceLock(SDL_AudioDeviceID locked) : id(locked) { SDL_LockAudioDevice(id); }
    ~DeviceLock() { SDL_UnlockAudioDevice(id); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID id;
};

// Changes the stream behind `handle` while the audio thread is kept out.
template <class Change>
bool changeStream(AudioHandle handle, Change&& change)
{
    if (!device)
        return fail(kAudioErrorBadHandle);
    DeviceLock lock(device->id);
    Stream* stream = device->find(handle);
    if (!stream)
        return fail(kAudioErrorBadHandle);
    change(*stream);
    return succeed();
}

} // namespace

bool BASS_Init(int deviceIndex, std::uint32_t frequency, std::uint32_t flags, void*, const void*)
{
    if (device)
        return fail(kAudioErrorAlreadyInitialised);
    if (flags != 0 || frequency == 0 || frequency > kMaxFrequency || deviceIndex < kAudioDefaultDevice)
        return fail(kAudioErrorBadArgument);

    std::unique_ptr<Device> opened(new (std::nothrow) Device);
    if (!opened)
        return fail(kAudioErrorOutOfMemory);
    missingDevice = kAudioErrorNoDevice;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return fail(kAudioErrorNoDevice);

    const char* name = nullptr;
    if (deviceIndex != kAudioDefaultDevice)
        name = SDL_GetAudioDeviceName(deviceIndex, 0);
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(frequency);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceBufferFrames;
    want.callback = &fillDeviceBuffer;
    want.userdata = opened.get();
    if (deviceIndex == kAudioDefaultDevice || name != nullptr)
        opened->id = SDL_OpenAudioDevice(name, 0, &want, &opened->spec, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (opened->id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return fail(kAudioErrorNoDevice);
    }

    try {
        opened->scratch.resize(std::max<Uint32>(opened->spec.size, 64u));
    } catch (const std::bad_alloc&) {
        SDL_CloseAudioDevice(opened->id);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return fail(kAudioErrorOutOfMemory);
    }
    device = std::move(opened);
    missingDevice = kAudioErrorNotInitialised;
    SDL_PauseAudioDevice(device->id, 0);
    return succeed();
}

AudioHandle BASS_StreamCreateFile(bool memory, const void* file, std::uint64_t offset, std::uint64_t length,
                                  std::uint32_t flags)
{
    if (!device)
        return failStream(missingDevice);
    if (!memory)
        return failStream(kAudioErrorNotSupported);
    if (file == nullptr || offset != 0 || flags != 0 || length > std::numeric_limits<std::size_t>::max())
        return failStream(kAudioErrorBadArgument);

    WavData wav;
    if (parseWav(file, static_cast<std::size_t>(length), wav) != WavError::None)
        return failStream(kAudioErrorNotPlayable);

    std::unique_ptr<Stream> stream(new (std::nothrow) Stream);
    if (!stream)
        return failStream(kAudioErrorOutOfMemory);
    stream->wav = wav;
    const SDL_AudioSpec& spec = device->spec;
    const bool convert = spec.format != kWavSampleFormat || spec.channels != wav.format.channels
        || spec.freq != static_cast<int>(wav.format.sampleRate);
    if (convert) {
        stream->converter = SDL_NewAudioStream(kWavSampleFormat, static_cast<Uint8>(wav.format.channels),
                                               static_cast<int>(wav.format.sampleRate), spec.format,
                                               spec.channels, spec.freq);
        // For these formats SDL fails here only when it runs out of memory.
        if (!stream->converter)
            return failStream(kAudioErrorOutOfMemory);
        stream->deviceFrameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8u * spec.channels;
        stream->convertedFrames = static_cast<std::size_t>(
            (static_cast<std::uint64_t>(wav.frames()) * static_cast<std::uint64_t>(spec.freq) + wav.format.sampleRate / 2)
            / wav.format.sampleRate);
    }
    stream->handle = nextHandle();

    try {
        DeviceLock lock(device->id);
        device->streams.push_back(std::move(stream));
    } catch (const std::bad_alloc&) {
        return failStream(kAudioErrorOutOfMemory);
    }
    succeed();
    return lastHandle;
}

bool BASS_ChannelPlay(AudioHandle handle, bool restart)
{
    return changeStream(handle, [restart](Stream& stream) {
        if (restart)
            stream.rewind();
        stream.playing = true;
    });
}

bool BASS_ChannelStop(AudioHandle handle)
{
    return changeStream(handle, [](Stream& stream) { stream.playing = false; });
}

bool BASS_Free()
{
    if (!device)
        return fail(kAudioErrorNotInitialised);
    // Closing waits for the audio thread, so the streams can go after it.
    SDL_CloseAudioDevice(device->id);
    device.reset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return succeed();
}

int BASS_ErrorGetCode()
{
    return lastError;
}
