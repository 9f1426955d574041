// The index alarm: which marker the bar shows for the level against the bounds, the blinking,
// and the rising and falling sweeps of tones.
#include "app/Main.h"
#include "platform/Await.h"
#include "platform/Platform.h"

namespace app {

namespace {

constexpr int kSweeps = 5;
constexpr int kTonesPerSweep = 50;
constexpr unsigned kToneMs = 5;
constexpr unsigned kSilenceMs = 300;

// The tones play on a thread of their own while the window thread waits: the window paints and
// moves meanwhile, and nothing else of the program runs until the sweep has ended.
void Sweep(int step) {
    platform::Await([sound = platform::Current().sound, step](platform::StopSignal& stop) {
        for (int sweep = 0; sweep < kSweeps && !stop.Stopped(); ++sweep) {
            for (int j = 1; j <= kTonesPerSweep; ++j) sound->Tone(unsigned(1000 + step * 5 * j), kToneMs);
            sound->Pause(kSilenceMs);
        }
    });
}

}  // namespace

void TMainForm::CheckAlarm() {
    if (!state_.alarm.alarmOn) {
        ButtonMin.Hide();
        ButtonCheck.Hide();
        ButtonMax.Hide();
        return;
    }
    if (currentLevel_ < 0.01) return;

    if (currentLevel_ > state_.alarm.upperBound()) {
        if (state_.alarm.soundOn) BeepHigh();
        ButtonMax.Show();
        ButtonMin.Hide();
        ButtonCheck.Hide();
        MaxTimer.Start();
        MinTimer.Stop();
    } else if (currentLevel_ < state_.alarm.lowerBound()) {
        if (state_.alarm.soundOn) BeepLow();
        ButtonMin.Show();
        ButtonMax.Hide();
        ButtonCheck.Hide();
        MinTimer.Start();
        MaxTimer.Stop();
    } else {
        ButtonCheck.Show();
        ButtonMax.Hide();
        ButtonMin.Hide();
        MaxTimer.Stop();
        MinTimer.Stop();
    }
}

void TMainForm::BeepHigh() { Sweep(+1); }
void TMainForm::BeepLow() { Sweep(-1); }

void TMainForm::MaxTimerTimer() { ButtonMax.SetVisible(!ButtonMax.Visible()); }
void TMainForm::MinTimerTimer() { ButtonMin.SetVisible(!ButtonMin.Visible()); }

}  // namespace app
