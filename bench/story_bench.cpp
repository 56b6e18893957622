// The story's own costs on the sample story: the Next handler for each row
// (picture load plus voice open), the same with the repaint that shows its
// result, a picture load, the text load and a voice open.
//
//   pikora-bench-story [--story=DIR] [benchmark flags]
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. The
// voice goes to an output that plays nothing, which leaves the program's own
// work; when a sound server is reachable (PULSE_SERVER, as tests/session
// exports it) the "real-output" variants go through the program's own
// QAudioSink output as well, which adds the server's round trips.

#include "bench/Flags.h"
#include "app/Startup.h"
#include "components/Application.h"
#include "components/Image.h"
#include "components/Timer.h"
#include "content/Picture.h"
#include "content/Text.h"
#include "media/AudioOutput.h"
#include "media/MciError.h"
#include "media/TMediaPlayer.h"
#include "media/Voice.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

namespace {

// Takes the samples nobody will hear: starting and stopping cost nothing,
// so what is timed is the player's own open, close and rewind.
class SilentOutput final : public pikora::AudioOutput {
public:
    int start(QIODevice*, const QAudioFormat&) override { return pikora::mci::NoError; }
    void stop() override {}
};

TForm1* g_form = nullptr;
TMediaPlayer* g_silentPlayer = nullptr;
TMediaPlayer* g_realPlayer = nullptr;

enum class Output { Silent, Real };

TMediaPlayer* usePlayer(Output output)
{
    TMediaPlayer* wanted = output == Output::Silent ? g_silentPlayer : g_realPlayer;
    TMediaPlayer* other = output == Output::Silent ? g_realPlayer : g_silentPlayer;
    if (other)
        other->Close();
    g_form->MediaPlayer1 = wanted;
    return wanted;
}

// Runs a benchmark's body; a content or media error ends that benchmark with
// the error's text instead of ending the whole run.
template <typename Body>
void guarded(benchmark::State& state, Body body)
{
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(("error: " + std::string(e.what()) + " (errno " + std::to_string(errno) + ", "
                             + std::strerror(errno) + ")")
                                .c_str());
    }
}

// Between two clicks the event loop runs; it is not part of the handler.
void betweenEvents(benchmark::State& state)
{
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

void resetStory()
{
    g_form->Panel2Click(); // stops the ending's timer and shows the title again
    QCoreApplication::processEvents();
}

// Next from the row before: the handler as a click runs it.
void nextHandler(benchmark::State& state, Output output, bool paint)
{
    guarded(state, [&] {
        const int row = int(state.range(0));
        usePlayer(output);
        resetStory();
        for (auto _ : state) {
            state.PauseTiming();
            g_form->StepCount = row - 1;
            QCoreApplication::processEvents();
            state.ResumeTiming();
            g_form->Panel4Click();
            if (paint)
                g_form->repaint(); // what the click leaves to the event loop: drawing the new scene
        }
        resetStory();
        state.SetLabel(g_form->MediaPlayer1->FileName().toStdString());
    });
}

void pictureLoad(benchmark::State& state, const char* name)
{
    guarded(state, [&] {
        for (auto _ : state) {
            QImage image = pikora::toImage(pikora::loadPicture(name));
            benchmark::DoNotOptimize(image.constBits());
        }
        pikora::BmpInfo info;
        pikora::loadPicture(name, &info);
        state.SetLabel(std::to_string(info.width) + "x" + std::to_string(info.height) + " "
                       + std::to_string(info.bitsPerPixel) + "-bit " + std::string(info.compression));
    });
}

void textLoad(benchmark::State& state)
{
    guarded(state, [&] {
        for (auto _ : state) {
            QString text = QString::fromStdU16String(pikora::loadText("v_1.txt"));
            benchmark::DoNotOptimize(text.constData());
        }
    });
}

void voiceOpen(benchmark::State& state, Output output)
{
    guarded(state, [&] {
        TMediaPlayer* player = usePlayer(output);
        for (auto _ : state) {
            voice(*player, QStringLiteral("start.wav"));
            betweenEvents(state);
        }
        player->Close();
        QCoreApplication::processEvents();
    });
}

bool copyStory(const QString& from, const QString& to)
{
    const QStringList names = QDir(from).entryList({"*.bmp", "*.wav", "*.txt"}, QDir::Files);
    if (names.size() < 18)
        return false;
    for (const QString& name : names) {
        if (!QFile::copy(from + "/" + name, to + "/" + name))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string story = takeFlag(argc, argv, "story", PIKORA_SOURCE_DIR "/story");

    pikora::TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("PIKORA!"));
    pikora::prepareApplication();

    // A private copy, so nothing else holds the files while they are read.
    QTemporaryDir dir;
    if (!dir.isValid() || !copyStory(QString::fromStdString(story), dir.path())) {
        std::fprintf(stderr, "cannot copy the story from %s\n", story.c_str());
        return 2;
    }
    QDir::setCurrent(dir.path());

    TForm1 form;
    g_form = &form;
    Form1 = &form;
    delete form.MediaPlayer1;
    g_silentPlayer = new TMediaPlayer(std::make_unique<SilentOutput>(), &form);
    const bool haveServer = !qEnvironmentVariableIsEmpty("PULSE_SERVER");
    if (haveServer)
        g_realPlayer = new TMediaPlayer(&form);
    form.MediaPlayer1 = g_silentPlayer;
    form.show();
    QCoreApplication::processEvents();

    for (const bool paint : {false, true}) {
        const std::string what = paint ? "next-and-paint" : "next";
        benchmark::RegisterBenchmark((what + "/silent-output").c_str(),
                                     [paint](benchmark::State& s) { nextHandler(s, Output::Silent, paint); })
            ->DenseRange(1, 7)
            ->ArgName("row")
            ->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
        if (haveServer)
            benchmark::RegisterBenchmark((what + "/real-output").c_str(),
                                         [paint](benchmark::State& s) { nextHandler(s, Output::Real, paint); })
                ->DenseRange(1, 7)
                ->ArgName("row")
                ->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
    }
    for (const char* name : {"s_1.bmp", "s_2.bmp", "eat.bmp"})
        benchmark::RegisterBenchmark((std::string("picture-load/") + name).c_str(),
                                     [name](benchmark::State& s) { pictureLoad(s, name); })
            ->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("text-load/v_1.txt", textLoad)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("voice-open/silent-output", [](benchmark::State& s) {
        voiceOpen(s, Output::Silent);
    })->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);
    if (haveServer)
        benchmark::RegisterBenchmark("voice-open/real-output", [](benchmark::State& s) {
            voiceOpen(s, Output::Real);
        })->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::AddCustomContext("qpa", QGuiApplication::platformName().toStdString());
    benchmark::AddCustomContext("audio", haveServer ? "silent and PulseAudio" : "silent only");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    g_form = nullptr;
    Form1 = nullptr;
    return 0;
}
