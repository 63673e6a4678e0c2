// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrmMain.h"

#include "speech/Voice.h"

namespace app {

GameState::GameState() = default;
GameState::~GameState() = default;

namespace {
const FontSpec SansSerif975{QStringLiteral("MS Sans Serif"), 9.75, false};
const FontSpec SansSerif12{QStringLiteral("MS Sans Serif"), 12, false};
const FontSpec SansSerif12Bold{QStringLiteral("MS Sans Serif"), 12, true};
const FontSpec DefaultFont{};
}  // namespace

FrmMain::FrmMain(runtime::Services& rt, ::runtime::Random& rnd)
    : Me(AppTitle, DesignClientWidth, DesignClientHeight),
      ComStop(QStringLiteral("ComStop"), {7560, 240, 1575, 375}, 12, SansSerif975, false),
      List7(QStringLiteral("List7"), {240, 960, 10215, 3180}, 10, SansSerif975, false),
      ComSayAgain(QStringLiteral("ComSayAgain"), {9240, 240, 1215, 375}, 9, SansSerif975, false),
      ComStart(QStringLiteral("ComStart"), {7560, 240, 1575, 375}, 8, SansSerif975, true),
      inputbox(QStringLiteral("inputbox"), {1440, 240, 5895, 375}, 7, SansSerif12, true),
      List6(QStringLiteral("List6"), {9240, 4440, 1695, 3960}, 5, DefaultFont, false),
      List5(QStringLiteral("List5"), {7200, 4440, 1575, 3960}, 4, DefaultFont, false),
      List4(QStringLiteral("List4"), {5160, 4440, 1695, 3960}, 3, DefaultFont, false),
      List3(QStringLiteral("List3"), {3240, 4440, 1695, 3960}, 2, DefaultFont, false),
      List2(QStringLiteral("List2"), {1680, 4440, 1335, 3960}, 1, DefaultFont, false),
      List1(QStringLiteral("List1"), {240, 4440, 1335, 3960}, 0, DefaultFont, false),
      Label2(QStringLiteral("Label2"), {0, 600, 10695, 255}, 11, DefaultFont, true),
      Label1(QStringLiteral("Label1"), {240, 240, 975, 375}, 6, SansSerif12Bold, true),
      services(rt),
      random(rnd) {
    ComStop.setCaption(QStringLiteral("Stop"));
    ComStop.setBackColor(LightGrey);
    ComSayAgain.setCaption(QStringLiteral("Say Again"));
    ComSayAgain.setBackColor(LightGrey);
    ComStart.setCaption(QStringLiteral("Start"));
    ComStart.setBackColor(LightGrey);
    Label2.setBackColor(LightGrey);
    Label2.setToolTip(AppTitle + u' ' + version() +
                      QStringLiteral(", made by the Orthovane developers"));
    Label1.setCaption(LevelCaption[0]);
    Label1.setBackColor(LightGrey);
    Label1.setToolTip(QStringLiteral(" Click To Changle Level "));
}

const ListBox& FrmMain::Pool(int level) const {
    const std::array<const ListBox*, LevelCount> pools{&List1, &List2, &List3,
                                                       &List4, &List5, &List6};
    return *pools.at(std::size_t(level - 1));
}

std::vector<Control*> FrmMain::Controls() {
    return {&ComStop, &List7, &ComSayAgain, &ComStart, &inputbox, &List6, &List5,
            &List4,   &List3, &List2,       &List1,    &Label2,   &Label1};
}

}  // namespace app
