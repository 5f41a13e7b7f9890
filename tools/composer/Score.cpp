#include "Score.h"

#include "Effects.h"
#include "Mixer.h"
#include "Voices.h"

#include <algorithm>

namespace composer {

namespace {

// ---- Form ------------------------------------------------------------------
// Times in seconds; a bar is two seconds.
constexpr double kBar = 2.0;
constexpr double kSixteenth = 0.125;
constexpr double kTreeStart = 20.0;
constexpr double kPickup = 37.0;       // beat 3 of bar 19: the branch starts running
constexpr double kDriveStart = 38.0;
constexpr double kBuildStart = 56.0;
constexpr double kRollStart = 58.0;
constexpr double kBreakdown = 62.0;    // kick and bass leave for the last bar of the build
constexpr double kImpact = 63.25;      // the black disk fills the view
constexpr double kArpEnd = 70.0;       // the white fade begins
constexpr double kFadeStart = 69.5;
constexpr double kSilence = 72.9;      // from here on exact digital silence

// ---- Harmony ---------------------------------------------------------------
struct Chord
{
    int bass;                 // MIDI note of the bass line's root
    std::vector<int> tones;   // close voicing around middle C
};

const Chord kAm9{45, {57, 60, 64, 67, 71}};
const Chord kFmaj9{41, {53, 57, 60, 64, 67}};
const Chord kDm11{38, {50, 57, 60, 65, 67}};
const Chord kGadd9{43, {55, 59, 62, 67, 69}};
const Chord kEsus{40, {52, 57, 59, 64, 71}};
const Chord kAadd9{45, {57, 61, 64, 69, 71, 76}};

struct ChordSpan
{
    double start;
    const Chord* chord;
};

const ChordSpan kChords[] = {
    {0.0, &kAm9},    {8.0, &kFmaj9},  {16.0, &kGadd9}, {20.0, &kAm9},   {24.0, &kFmaj9},
    {28.0, &kDm11},  {32.0, &kGadd9}, {36.0, &kEsus},  {38.0, &kAm9},   {42.0, &kFmaj9},
    {46.0, &kDm11},  {50.0, &kGadd9}, {54.0, &kFmaj9}, {58.0, &kEsus},  {kImpact, &kAadd9},
};
constexpr std::size_t kChordCount = sizeof(kChords) / sizeof(kChords[0]);

const Chord& chordAt(double t)
{
    std::size_t i = 0;
    while (i + 1 < kChordCount && kChords[i + 1].start <= t)
        ++i;
    return *kChords[i].chord;
}

double spanEnd(std::size_t i)
{
    return i + 1 < kChordCount ? kChords[i + 1].start : kArpEnd;
}

// The melody over four two-bar chords (Am9, Fmaj9, Dm11, Gadd9): beat, length, note.
struct MelodyNote
{
    double beat;
    double beats;
    int note;
};

const MelodyNote kMelody[] = {
    {0, 1.5, 76},   {1.5, 0.5, 79},  {2, 2, 81},      {4, 1, 83},     {5, 1, 81},    {6, 1, 79},
    {7, 1, 76},     {8, 3, 84},      {11, 0.5, 83},   {11.5, 0.5, 81}, {12, 2, 79},  {14, 2, 76},
    {16, 1.5, 74},  {17.5, 0.5, 77}, {18, 2, 81},     {20, 1, 84},    {21, 1, 81},   {22, 2, 79},
    {24, 1.5, 83},  {25.5, 0.5, 81}, {26, 1, 79},     {27, 1, 74},    {28, 4, 76},
};

// ---- Instruments, each with its own random seed -----------------------------
enum Instrument : std::uint32_t
{
    kDroplets = 1,
    kPadVoices,
    kDrumKit,
    kWashBells,
    kEffects,
};

// ---- Parts -----------------------------------------------------------------

// Drops: a few notes per bar on chord tones, high up, in a large room.
void writeDroplets(Mixer& mix)
{
    constexpr int kPerBar[18] = {2, 2, 3, 3, 4, 3, 4, 5, 4, 4, 2, 2, 3, 2, 2, 3, 2, 2};
    for (int bar = 0; bar < 18; ++bar) {
        Rng rng = rngFor(kDroplets, static_cast<std::uint32_t>(bar));
        const double level = bar < 10 ? 1.0 : 0.7;  // they step back when the tree grows
        for (int i = 0; i < kPerBar[bar]; ++i) {
            const int slot = rng.below(16);
            const double t = bar * kBar + slot * kSixteenth;
            const Chord& chord = chordAt(t);
            const int note = chord.tones[static_cast<std::size_t>(rng.below(static_cast<int>(chord.tones.size())))]
                + 12 * (1 + rng.below(2));
            const double hz = midiToHz(std::min(note, 93));
            const double velocity = level * ((slot % 4 == 0 ? 0.75 : 0.5) + 0.25 * rng.uniform());
            const double pan = rng.range(-0.7, 0.7);
            const double voice = rng.uniform();
            if (voice < 0.5)
                mix.add(kMelodic, t, droplet(hz, velocity), 0.3, pan, {0.6, 0.2});
            else if (voice < 0.8)
                mix.add(kMelodic, t, bell(hz, velocity, 1.2), 0.16, pan, {0.6, 0.2});
            else
                mix.add(kMelodic, t, pluck(hz * 0.5, velocity, 2.0, rng), 0.3, pan, {0.5, 0.2});
        }
    }
}

// Two sines half a hertz apart: the slow beating of rings that meet and cancel.
void writeRings(Mixer& mix)
{
    const double hold = kTreeStart + 1.0 - 0.5;
    mix.add(kMelodic, 0.5, sineNote(220.0, hold, 4.0, 3.0), 0.07, -0.2, {0.3, 0.0});
    mix.add(kMelodic, 0.5, sineNote(220.55, hold, 4.0, 3.0), 0.07, 0.2, {0.3, 0.0});
}

double padCutoff(double t)
{
    if (t < kPickup)  // opening slowly while the tree grows
        return 450.0 * std::pow(7.0, std::clamp((t - kTreeStart) / (kPickup - kTreeStart), 0.0, 1.0));
    if (t < kBuildStart)
        return 2600.0 + 700.0 * std::sin(2.0 * kPi * (t - kDriveStart) / (4.0 * kBar));
    return 2600.0 * std::pow(2.5, std::clamp((t - kBuildStart) / (kImpact - kBuildStart), 0.0, 1.0));
}

void writePad(Mixer& mix)
{
    for (std::size_t i = 0; i < kChordCount; ++i) {
        const double start = kChords[i].start;
        const double end = spanEnd(i);
        if (end <= kTreeStart || start >= kImpact)
            continue;
        const double begin = std::max(start, kTreeStart);
        const bool first = begin == kTreeStart;
        const bool last = end >= kImpact;
        // Chords overlap by their release: close voices glide from one to the next.
        const double hold = end - begin + (last ? -0.02 : 0.15);
        const double attack = first ? 3.0 : 0.35;
        const double release = last ? 0.02 : 0.45;
        Rng rng = rngFor(kPadVoices, static_cast<std::uint32_t>(i));
        for (int note : kChords[i].chord->tones)
            mix.add(kPad, begin, padNote(midiToHz(note), begin, hold, attack, release, padCutoff, rng), 0.1,
                    {0.35, 0.0});
    }
}

// A sub drone under the roots while the tree grows.
void writeSub(Mixer& mix)
{
    for (std::size_t i = 0; i < kChordCount; ++i) {
        const double start = std::max(kChords[i].start, kTreeStart);
        const double end = std::min(spanEnd(i), kDriveStart);
        if (end <= start)
            continue;
        int note = kChords[i].chord->bass - 12;
        if (note < 31)
            note += 12;
        const double attack = start == kTreeStart ? 3.0 : 0.25;
        mix.add(kPad, start, sineNote(midiToHz(note), end - start + 0.1, attack, 0.35), 0.16, 0.0);
    }
}

std::vector<double> writeDrums(Mixer& mix)
{
    std::vector<double> kicks = {kPickup, kPickup + 0.5};
    for (double t = kDriveStart; t < kBreakdown - 1e-9; t += 0.5)
        kicks.push_back(t);
    for (double t : kicks) {
        const bool downbeat = std::fmod(t, kBar) < 1e-9;
        mix.add(kDrums, t, kick(downbeat ? 1.0 : 0.9), 0.85, 0.0);
    }

    Rng rng = rngFor(kDrumKit, 0);
    // The pickup fill: four sixteenths rising into the downbeat.
    for (int i = 0; i < 4; ++i)
        mix.add(kDrums, kPickup + 0.5 + i * kSixteenth, snare(0.3 + 0.15 * i, rng), 0.5, 0.0, {0.15, 0.0});
    // Backbeat from bar 22.
    for (double t = 42.5; t < kRollStart; t += 1.0)
        mix.add(kDrums, t, snare(0.85, rng), 0.5, 0.0, {0.18, 0.0});
    // The roll: eighths, then sixteenths, then thirty-seconds, rising, with a breath before the hit.
    for (double t = kRollStart; t < kImpact - 0.13;) {
        const double x = (t - kRollStart) / (kImpact - kRollStart);
        mix.add(kDrums, t, snare(0.35 + 0.6 * x, rng), 0.45, 0.0, {0.2, 0.0});
        t += t < 60.0 ? 0.25 : (t < kBreakdown ? kSixteenth : kSixteenth / 2.0);
    }

    // Hats: off-beat eighths, then sixteenths with accents from bar 24; an open hat every two bars.
    for (int step = 0; kDriveStart + step * kSixteenth < kBreakdown - 1e-9; ++step) {
        const double t = kDriveStart + step * kSixteenth;
        const int inBeat = step % 4;
        const bool offbeat = inBeat == 2;
        const bool open = step % 32 == 30;
        if (t < 46.0 && !offbeat)
            continue;
        if (inBeat == 0 && t < kRollStart)
            continue;  // the kick has the beat
        const double accent = offbeat ? 0.85 : 0.45 + 0.1 * rng.uniform();
        const double swell = t >= kRollStart ? 1.0 + 0.3 * (t - kRollStart) / (kBreakdown - kRollStart) : 1.0;
        mix.add(kDrums, t, hat(accent * swell, open, rng), open ? 0.3 : 0.4, 0.3, {0.08, 0.0});
    }
    return kicks;
}

void writeBass(Mixer& mix)
{
    constexpr int kPattern[8] = {0, 0, 12, 0, 0, 7, 12, 0};
    for (int step = 0; kDriveStart + step * 0.25 < kBreakdown - 1e-9; ++step) {
        const double t = kDriveStart + step * 0.25;
        const int note = chordAt(t).bass + kPattern[step % 8];
        const double velocity = step % 8 == 0 ? 1.0 : (step % 2 == 0 ? 0.8 : 0.7);
        mix.add(kBass, t, bassNote(midiToHz(note), 0.2, velocity), 0.5, 0.0);
    }
}

// Sixteenths up and down the chord; the filter sweeps open and shut once a bar.
void writeArpeggio(Mixer& mix)
{
    constexpr int kOrder[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    const double start = 46.0;
    for (int step = 0; start + step * kSixteenth < kArpEnd - 1e-9; ++step) {
        const double t = start + step * kSixteenth;
        const Chord& chord = chordAt(t);
        const int tone = chord.tones[static_cast<std::size_t>(kOrder[step % 8])] + 12;
        const double inBar = std::fmod(t, kBar) / kBar;
        double cutoff = 700.0 + 3200.0 * std::pow(std::sin(kPi * inBar), 2.0);
        double velocity = step % 3 == 0 ? 0.9 : 0.6;  // threes against fours
        if (t >= kBuildStart && t < kImpact)
            cutoff *= 1.0 + (t - kBuildStart) / (kImpact - kBuildStart);
        if (t >= kImpact) {
            // After the hit it lives on in the wash, closing and fading toward the white.
            const double x = (t - kImpact) / (kArpEnd - kImpact);
            cutoff *= 1.0 - 0.6 * x;
            velocity *= (1.0 - x) * (1.0 - x);
        }
        mix.add(kPad, t, arpNote(midiToHz(tone), velocity, cutoff), 0.17, step % 2 ? 0.35 : -0.35, {0.25, 0.35});
    }
}

void writeMelody(Mixer& mix)
{
    // On bells while the tree grows.
    for (const MelodyNote& m : kMelody) {
        const double t = kTreeStart + beatsToSeconds(m.beat);
        mix.add(kMelodic, t, bell(midiToHz(m.note), 0.6, 1.0 + 0.3 * m.beats), 0.16, 0.1, {0.5, 0.25});
    }
    // On the lead, with a bell an octave up, while the branch runs.
    for (const MelodyNote& m : kMelody) {
        const double t = kDriveStart + beatsToSeconds(m.beat);
        const double hold = beatsToSeconds(m.beats) - 0.05;
        mix.add(kMelodic, t, leadNote(midiToHz(m.note), hold, 0.8), 0.16, -0.05, {0.2, 0.3});
        mix.add(kMelodic, t, bell(midiToHz(m.note + 12), 0.3, 0.6), 0.08, 0.3, {0.4, 0.2});
    }
    // Long notes over the build, climbing to the hit.
    const MelodyNote kClimb[] = {{0, 7.8, 84}, {8, 7.8, 83}, {16, 2.4, 88}};
    for (const MelodyNote& m : kClimb)
        mix.add(kMelodic, kBuildStart - 2.0 + beatsToSeconds(m.beat),
                leadNote(midiToHz(m.note), beatsToSeconds(m.beats), 0.9), 0.15, 0.0, {0.3, 0.3});
}

void writeEffects(Mixer& mix)
{
    Rng rng = rngFor(kEffects, 0);
    mix.add(kFx, 35.0, riser(kPickup - 35.0, rng), 0.16, {0.2, 0.0});
    mix.add(kFx, kBuildStart, riser(kImpact - kBuildStart, rng), 0.32, {0.2, 0.0});
    mix.add(kFx, kImpact, impact(rng), 0.75, {0.45, 0.0});
    mix.add(kFx, kImpact, kick(1.0), 0.6, 0.0);
}

// The bright wash after the hit: A major with an added ninth, then falling bells.
void writeWash(Mixer& mix)
{
    const auto washCutoff = [](double t) { return 7000.0 * std::pow(0.2, std::clamp((t - kImpact) / 9.0, 0.0, 1.0)); };
    Rng rng = rngFor(kWashBells, 0);
    const double hold = kArpEnd - kImpact;
    for (int note : kAadd9.tones) {
        mix.add(kPad, kImpact, padNote(midiToHz(note), kImpact, hold, 0.02, 2.6, washCutoff, rng), 0.11, {0.55, 0.0});
        mix.add(kPad, kImpact, padNote(midiToHz(note + 12), kImpact, hold, 0.6, 2.6, washCutoff, rng), 0.045,
                {0.6, 0.0});
    }
    for (double t = kImpact + 0.25; t < kArpEnd + 0.5; t += 0.25) {
        if (rng.uniform() < 0.35)
            continue;
        const double x = (t - kImpact) / (kArpEnd + 0.5 - kImpact);
        const int note = kAadd9.tones[static_cast<std::size_t>(rng.below(6))] + 12 * (1 + rng.below(2));
        mix.add(kMelodic, t, bell(midiToHz(std::min(note, 93)), 0.6 * (1.0 - x), 1.4), 0.2, rng.range(-0.8, 0.8),
                {0.6, 0.3});
    }
}

// Kick-driven gain for the ducked buses: down about 5 dB, back within 150 ms.
std::vector<float> duckingCurve(const std::vector<double>& kicks, std::size_t frames)
{
    constexpr double kDepth = 0.45;
    std::vector<float> gain(frames, 1.0f);
    for (double k : kicks) {
        const std::size_t start = secondsToFrames(k);
        const std::size_t end = std::min(frames, start + secondsToFrames(0.6));
        for (std::size_t n = start; n < end; ++n) {
            const double t = static_cast<double>(n - start) / kSampleRate;
            const double duck = kDepth * rampIn(t, 0.004) * std::exp(-std::max(0.0, t - 0.004) / 0.12);
            gain[n] = std::min(gain[n], static_cast<float>(1.0 - duck));
        }
    }
    return gain;
}

double driveHighPass(double t)
{
    if (t < kRollStart || t >= kImpact)
        return 15.0;
    return 15.0 * std::pow(60.0, (t - kRollStart) / (kImpact - kRollStart));
}

} // namespace

Stereo renderScore()
{
    const std::size_t frames = kSoundtrackFrames;
    Mixer mix(frames);
    writeDroplets(mix);
    writeRings(mix);
    writePad(mix);
    writeSub(mix);
    const std::vector<double> kicks = writeDrums(mix);
    writeBass(mix);
    writeArpeggio(mix);
    writeMelody(mix);
    writeEffects(mix);
    writeWash(mix);

    const Stereo delayed = pingPongDelay(mix.delaySend, secondsToFrames(beatsToSeconds(0.75)),
                                         secondsToFrames(beatsToSeconds(1.0)), 0.45);
    for (std::size_t n = 0; n < frames; ++n) {
        mix.reverbSend.l[n] += 0.3f * delayed.l[n];
        mix.reverbSend.r[n] += 0.3f * delayed.r[n];
    }
    const Stereo reverb = Reverb(0.85, 0.4, 0.03).process(mix.reverbSend);
    const std::vector<float> duck = duckingCurve(kicks, frames);

    Stereo out(frames);
    Svf highL, highR;
    const Stereo* buses = mix.buses.data();
    const std::size_t fadeStart = secondsToFrames(kFadeStart);
    const std::size_t silence = secondsToFrames(kSilence);
    for (std::size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kSampleRate;
        if (n % kControlInterval == 0) {
            highL.set(driveHighPass(t), 0.7);
            highR.set(driveHighPass(t), 0.7);
        }
        highL.tick(buses[kDrums].l[n] + duck[n] * buses[kBass].l[n]);
        highR.tick(buses[kDrums].r[n] + duck[n] * buses[kBass].r[n]);
        const auto side = [&](const std::vector<float> Stereo::*channel, double driven) {
            return (buses[kMelodic].*channel)[n] + (buses[kFx].*channel)[n] + duck[n] * (buses[kPad].*channel)[n]
                + driven + 3.0 * (reverb.*channel)[n] + 0.6 * (delayed.*channel)[n];
        };
        out.l[n] = static_cast<float>(side(&Stereo::l, highL.high));
        out.r[n] = static_cast<float>(side(&Stereo::r, highR.high));
    }

    blockDc(out.l);
    blockDc(out.r);
    // Into silence: a slow fade that reaches exact zero, then nothing.
    for (std::size_t n = fadeStart; n < frames; ++n) {
        const double x = n >= silence ? 0.0 : 1.0 - rampIn(static_cast<double>(n - fadeStart), static_cast<double>(silence - fadeStart));
        out.l[n] = static_cast<float>(out.l[n] * x);
        out.r[n] = static_cast<float>(out.r[n] * x);
    }
    return out;
}

} // namespace composer
