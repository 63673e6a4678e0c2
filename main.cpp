// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The composition root: the real runtime, window and voice, then start-up and the event loop.
#include "app/FrmMain.h"
#include "app/Identity.h"
#include "commands/Commands.h"
#include "platform/EndSignals.h"
#include "platform/ErrorReport.h"
#include "platform/EventLoopWaiter.h"
#include "platform/FirstFrame.h"
#include "platform/FormView.h"
#include "platform/QtServices.h"
#include "platform/ScreenReaderWatch.h"
#include "platform/Twips.h"
#include "runtime/Random.h"
#include "speech/DispatcherClient.h"
#include "speech/FliteSynth.h"
#include "speech/PulseOutput.h"
#include "speech/RoutedVoice.h"
#include "speech/SpeechVoice.h"
#include "speech/Voice.h"
#include "wordstore/Loader.h"

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>

int main(int argc, char** argv) {
    platform::followDesktopTextSize();
    QApplication application(argc, argv);
    QApplication::setApplicationName(app::AppTitle);
    QApplication::setApplicationVersion(app::version());
    // The launcher the desktop shows the window under (its Wayland app id, too).
    QApplication::setDesktopFileName(QStringLiteral("io.github.orthovane.orthovane"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    std::random_device entropy;
    ::runtime::MixingRandom random((std::uint64_t(entropy()) << 32) | entropy());
    platform::QtServices services;
    // The voice the window will hold refers to these, so they are made first and go last.
    speech::PulseOutput output;
    platform::EventLoopWaiter waiter(services.gate());
    std::unique_ptr<speech::FliteSynth> synth;
    std::unique_ptr<speech::SpeechVoice> own;
    speech::DispatcherClient service(waiter);
    platform::ScreenReaderWatch screenReader;
    app::FrmMain form(services, random);
    commands::Commands commands(form);
    platform::FormView view(form, services);
    // Whatever the game was saying through the speech service stops with it.
    services.atEnd([&service] { service.cancelNow(); });
    platform::catchEndSignals(services);

    auto createVoice = [&]() -> std::unique_ptr<speech::Voice> {
        synth = std::make_unique<speech::FliteSynth>();
        own = std::make_unique<speech::SpeechVoice>(*synth, output, waiter);
        // Loading the sound library would slow the window's first frame, even on another
        // thread; nothing is spoken before the player presses Start, which connects. The
        // verdicts are made ready then too, so the first one is heard at once.
        platform::afterFirstFrame(view, [&output, &screenReader, ready = own.get()] {
            screenReader.start();
            output.onSilence([](const QString& why) {
                std::fprintf(stderr,
                             "orthovane: no sound server (%s); the words will not be heard "
                             "until there is one\n",
                             why.toLocal8Bit().constData());
            });
            output.loadInBackground();
            ready->prepare(
                {speech::Phrase::Correct, speech::Phrase::Wrong, speech::Phrase::Praise});
        });
        return std::make_unique<speech::RoutedVoice>(*own, service,
                                                     [&screenReader] { return screenReader.on(); });
    };

    // Between games nothing is said: the sound device may sleep until the next Start.
    QObject::connect(&form.ComStop, &app::Control::changed, [&output, &form] {
        if (!form.ComStop.Visible()) output.rest();
    });

    platform::runGuarded(services, [&] {
        commands.Form_Load(createVoice,
                           wordstore::wordFilePath(QCoreApplication::applicationDirPath()));
    });
    // Watched last, so it is told of the first frame first, before the work that waits for it
    // (preparing the verdicts, opening the sound) is counted as start-up.
    platform::reportFirstFrame(view);
    return application.exec();
}
