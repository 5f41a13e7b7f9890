#pragma once

// Our audio layer: the six calls the player needs, played through SDL2's audio
// API. SDL mixes on a thread of its own; every call here is made from one thread
// (the GUI thread) and sets the error code that BASS_ErrorGetCode() returns.
//
// Only memory streams exist: a complete 16-bit PCM WAV file (mono or stereo) in
// the caller's memory, read in place while it plays, so the caller keeps the
// bytes alive and unchanged until the stream is gone (BASS_Free). If the device
// runs at another rate or format, the samples are converted on the way.

#include <cstdint>

using AudioHandle = std::uint32_t;  // 0 is never a stream

// Error codes, as BASS_ErrorGetCode() returns them.
enum AudioErrorCode : int
{
    kAudioOk = 0,
    kAudioErrorNotInitialised = 1,     // no BASS_Init in force
    kAudioErrorAlreadyInitialised = 2, // BASS_Init twice without BASS_Free
    kAudioErrorNoDevice = 3,           // no audio driver or output device could be opened; also what
                                       // a stream reports after BASS_Init failed for that reason
    kAudioErrorBadArgument = 4,        // null pointer, unknown flags, offset, rate or device index
    kAudioErrorNotPlayable = 5,        // not a complete 16-bit PCM WAV file of 1 or 2 channels
    kAudioErrorOutOfMemory = 6,
    kAudioErrorBadHandle = 7,          // no such stream (never made, or freed)
    kAudioErrorNotSupported = 8,       // streams from a file name: only memory streams exist
};

constexpr int kAudioDefaultDevice = -1;

// Opens the output device (-1: the system default, n >= 0: SDL's n-th output
// device) asking for `frequency` Hz, 16-bit stereo. `flags` must be 0; `window`
// and `classId` are accepted and ignored. Starts the device's thread, which
// plays silence until a stream plays.
bool BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, void* window, const void* classId);

// With `memory` true: a stream over the WAV file at `file`, `length` bytes long.
// The whole file is validated first and nothing outside those bytes is read.
// `offset` and `flags` must be 0. Returns the handle, or 0 with the error set.
AudioHandle BASS_StreamCreateFile(bool memory, const void* file, std::uint64_t offset, std::uint64_t length,
                                  std::uint32_t flags);

// Starts playing at once and returns; `restart` plays from the beginning. A
// stream plays once to its end and then stays silent.
bool BASS_ChannelPlay(AudioHandle handle, bool restart);

// Pauses the stream where it is.
bool BASS_ChannelStop(AudioHandle handle);

// Stops every stream, frees them, closes the device and waits for its thread.
bool BASS_Free();

// The error code of the latest call on this thread.
int BASS_ErrorGetCode();
