// The index alarm: which marker the bar shows for the level against the bounds, the blinking,
// and the rising and falling sweeps of tones.
#include "app/Main.h"
#include "platform/Wait.h"
#include "platform/Platform.h"

namespace app {

namespace {

constexpr int kSweeps = 5;
constexpr int kTonesPerSweep = 50;
constexpr unsigned kToneMs = 5;
constexpr unsigned kSilenceMs = 300;

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

// One sound at a time: one asked for while another plays follows it (the last one asked for, if
// several were). The tones play on a thread of their own; the window answers meanwhile, and the
// marker shows as the sound begins.
void TMainForm::BeepHigh() {
    sounds_.Ask([this] { return Sweep(+1); });
}

void TMainForm::BeepLow() {
    sounds_.Ask([this] { return Sweep(-1); });
}

// A sweep that comes to play reads the switches as they are then. Stopped, it ends within a tone:
// the stop is looked at before every tone, and the silence ends with it.
platform::Task<> TMainForm::Sweep(int step) {
    if (!state_.alarm.alarmOn || !state_.alarm.soundOn) co_return;
    auto tones = platform::OnWorker([sound = platform::Current().sound, step](platform::Job& stop) {
        for (int sweep = 0; sweep < kSweeps; ++sweep) {
            for (int j = 1; j <= kTonesPerSweep; ++j) {
                if (stop.Stopped()) return;
                sound->Tone(unsigned(1000 + step * 5 * j), kToneMs);
            }
            sound->Silence(kSilenceMs, stop);
        }
    });
    co_await tones;
}

// The alarm or its sound switched off: what plays stops, and what waits to play is dropped.
void TMainForm::SetAlarmSwitches(bool alarmOn, bool soundOn) {
    state_.alarm.alarmOn = alarmOn;
    state_.alarm.soundOn = soundOn;
    if (!alarmOn || !soundOn) sounds_.Stop();
}

void TMainForm::ShowAlarm(bool on) {
    if (!on) sounds_.Stop();
    if (on) {
        ButtonMax.Show();
        ButtonMin.Show();
        MaxTimer.Start();
        MinTimer.Start();
        CheckAlarm();
    } else {
        ButtonMax.Hide();
        ButtonMin.Hide();
        ButtonCheck.Hide();
        MaxTimer.Stop();
        MinTimer.Stop();
    }
}

void TMainForm::MaxTimerTimer() { ButtonMax.SetVisible(!ButtonMax.Visible()); }
void TMainForm::MinTimerTimer() { ButtonMin.SetVisible(!ButtonMin.Visible()); }

}  // namespace app
