// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FormView.h"

#include "app/Controls.h"
#include "app/FrmMain.h"
#include "platform/ClickLabel.h"
#include "platform/EntryBox.h"
#include "platform/ErrorReport.h"
#include "platform/FirstFrame.h"
#include "platform/Fonts.h"
#include "platform/QtServices.h"
#include "platform/Readable.h"
#include "platform/ResultsList.h"
#include "platform/WindowFrame.h"

#include <qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QColor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLatin1String>
#include <QListWidgetItem>
#include <QObject>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QString>
#include <QStringView>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

// The icons are compiled into this static library; nothing refers to them by symbol, so without
// this the linker would leave them out of the program. Outside any namespace, as Qt requires.
static void initResources() { Q_INIT_RESOURCE(orthovane); }

namespace platform {

namespace {
// Every size, so the title bar and the task switcher stay sharp at any scale. Read as PNG by
// name: asked to guess the format, Qt would load every image plugin first.
QIcon gameIcon() {
    initResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addPixmap(
            QPixmap(QStringLiteral(":/orthovane/icons/orthovane-%1.png").arg(size), "png"));
    }
    return icon;
}

// Read as a frame, the way screen readers announce a window; a plain widget would be a filler.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(FormView::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

QColor qcolor(app::Rgb c) { return QColor(c.red, c.green, c.blue); }

void showCaption(QPushButton* button, const QString& caption) { button->setText(caption); }
void showCaption(QLabel* label, const QString& caption) { label->setText(caption); }
// The level label also tells a screen reader its new level.
void showCaption(ClickLabel* level, const QString& caption) { level->showCaption(caption); }

// A captioned control's widget shows what its model holds: caption, tooltip, state and face.
template <class Widget>
void mirror(Widget* widget, const app::CaptionedControl& m, QPalette::ColorRole face) {
    showCaption(widget, m.Caption());
    widget->setToolTip(m.ToolTip());
    widget->setEnabled(m.Enabled());
    widget->setVisible(m.Visible());
    QPalette p = widget->palette();
    fixFace(p, face, qcolor(m.BackColor()));
    widget->setPalette(p);
}

}  // namespace

FormView::FormView(app::FrmMain& form, QtServices& services)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form),
      services_(services),
      twips_(Twips::on(QGuiApplication::primaryScreen())) {
    dressWindow();
    makeControls();
    describeControls();
    watchModel();
    orderTabs();
    placeOnScreen();
}

void FormView::dressWindow() {
    static const bool accessibleAsWindow = (QAccessible::installFactory(windowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setWindowTitle(form_.Me.Caption());
    // Decoding the icons takes longer than drawing the window, so the window gets them once it
    // is on the screen.
    afterFirstFrame(*this, [this] { setWindowIcon(gameIcon()); });
    dressPalette();
    setAutoFillBackground(true);
    services_.setWindow(this);
    services_.atEnd([view = QPointer<FormView>(this)] {
        if (view) view->leaveWindowManager();
    });
}

bool FormView::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (releasing_ && eventType == "xcb_generic_event_t") {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
            const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (change->window == winId() && change->atom == releasedBy_) releasing_->quit();
        }
    }
    return QWidget::nativeEvent(eventType, message, result);
}

void FormView::leaveWindowManager() {
    // Every move of the closing animation is a request the window manager carries out in its
    // own time. Should the program end first, the X server gives its window's number to the
    // next program's window, and a manager still catching up moves that one instead: a game
    // started just after a close opened off the screen (8 launches in 30 with both cores busy).
    // A manager lets a window go (and takes its WM_STATE away) only after every request before
    // that, so once it has, none is left.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !connection || !isVisible() ||
        frameGeometry() == geometry())  // no manager's frame round it
        return;
    const char name[] = "WM_STATE";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    if (!atom) return;
    releasedBy_ = atom->atom;
    std::free(atom);
    QEventLoop released;
    releasing_ = &released;
    QTimer::singleShot(500, &released, &QEventLoop::quit);
    hide();
    released.exec(QEventLoop::ExcludeUserInputEvents);
    releasing_ = nullptr;
}

void FormView::dressPalette() {
    // The theme's colours where the theme draws the face (the entry box, the results), made
    // readable; the layout's light grey where the layout fixes the face, with text chosen for
    // it. The level stays readable, greyed, during play.
    QPalette pal = readableTheme(QGuiApplication::palette());
    fixFace(pal, QPalette::Window, qcolor(form_.Me.BackColor()));
    fixFace(pal, QPalette::Button, qcolor(app::LightGrey));
    setPalette(pal);
}

void FormView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop's theme changed while the game ran.
    if (event->type() == QEvent::ApplicationPaletteChange) dressPalette();
    // A minimized window refuses to be moved or sized, which the closing animation meets.
    if (event->type() == QEvent::WindowStateChange) form_.Me.setMinimized(isMinimized());
}

void FormView::makeControls() {
    entry_ = new EntryBox(form_.inputbox, services_, this);
    start_ = makeButton(form_.ComStart);
    sayAgain_ = makeButton(form_.ComSayAgain);
    results_ = new ResultsList(this);
    stop_ = makeButton(form_.ComStop);
    label2_ = new QLabel(this);
    label1_ = new ClickLabel(form_.Label1, services_, this);
    // The notice strip's top edge lies one pixel inside the top row (the layout's 15 twips):
    // behind the row, the entry box and the buttons keep their bottom edges at every scale.
    label2_->lower();
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label1_->setAutoFillBackground(true);
    label2_->setAutoFillBackground(true);
}

void FormView::describeControls() {
    // What a screen reader reads is what the eye sees: a label or a button is named by its
    // caption (a new caption is announced as a new name); the description says what it does.
    label1_->setAccessibleDescription(QStringLiteral("The starting level; press to change it"));
    entry_->setAccessibleName(QStringLiteral("Answer"));
    describeEntry();
    results_->setAccessibleName(QStringLiteral("Results"));
    results_->setAccessibleDescription(
        QStringLiteral("Each word of the game with your answer, then your score"));
    start_->setAccessibleDescription(QStringLiteral("Start a game at the level shown"));
    stop_->setAccessibleDescription(QStringLiteral("End the game and show every answer"));
    sayAgain_->setAccessibleDescription(QStringLiteral("Hear the word again"));
    label2_->setAccessibleDescription(QStringLiteral("Who made the game"));
}

void FormView::describeEntry() {
    // Said once, when the window opens and between games. During play the focus comes back to
    // the box after every Say Again; a screen reader saying how to answer each time would talk
    // over the game.
    entry_->setAccessibleDescription(
        form_.Playing() ? QString() : QStringLiteral("Type the word you hear, then press Enter"));
}

void FormView::watch(app::Control& control, QWidget* widget, const std::function<void()>& sync) {
    widget->setFont(fontFor(control.Font(), twips_));
    place(widget, control);
    drawn_.emplace_back(&control, widget);
    sync();
    connect(&control, &app::Control::changed, this, sync);
}

void FormView::orderTabs() {
    // Focus moves as the layout's tab indices say (the level label, the entry box, Start, Say
    // Again, the results list, Stop), among the controls that take the focus.
    std::vector<std::pair<const app::Control*, QWidget*>> focusable;
    for (const auto& drawn : drawn_) {
        if (drawn.second->focusPolicy() & Qt::TabFocus) focusable.push_back(drawn);
    }
    std::sort(focusable.begin(), focusable.end(), [](const auto& a, const auto& b) {
        return a.first->TabIndex() < b.first->TabIndex();
    });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        setTabOrder(focusable[i - 1].second, focusable[i].second);
}

void FormView::watchModel() {
    watch(form_.Label1, label1_, [this] { mirror(label1_, form_.Label1, QPalette::Window); });
    watch(form_.Label2, label2_, [this] {
        mirror(label2_, form_.Label2, QPalette::Window);
        // The strip shows nothing until the pointer rests on it; then its notice.
        const auto& m = form_.Label2;
        label2_->setAccessibleName(m.Caption().isEmpty() ? m.ToolTip() : m.Caption());
    });
    watch(form_.inputbox, entry_, [this] {
        const auto& m = form_.inputbox;
        if (entry_->text() != m.Text()) entry_->setText(m.Text());
        entry_->setEnabled(m.Enabled());
        entry_->setVisible(m.Visible());
    });
    connect(&form_.inputbox, &app::TextBox::focusRequested, this,
            [this] { entry_->setFocus(Qt::OtherFocusReason); });
    connect(&form_.ComStop, &app::Control::changed, this, [this] { describeEntry(); });
    watch(form_.List7, results_, [this] { syncResults(); });
    connect(&form_.Me, &app::Window::changed, this, [this] { syncWindow(); });
}

void FormView::placeOnScreen() {
    // A new window opens centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        const float left =
            twips_.fromPx(avail.x()) + (twips_.fromPx(avail.width()) - form_.Me.Width()) / 2;
        const float top =
            twips_.fromPx(avail.y()) + (twips_.fromPx(avail.height()) - app::ResultsHeight) / 2;
        form_.Me.PlacedAt(std::max(0.0f, left), std::max(0.0f, top));
    }
    syncWindow();
}

QPushButton* FormView::makeButton(app::CommandButton& model) {
    auto* button = new QPushButton(this);
    button->setAutoDefault(false);
    button->setDefault(false);
    watch(model, button, [button, &model] { mirror(button, model, QPalette::Button); });
    connect(button, &QPushButton::clicked, this,
            [this, &model] { runGuarded(services_, [&model] { model.Click(); }); });
    return button;
}

void FormView::place(QWidget* widget, const app::Control& control) {
    const auto& r = control.Rect();
    widget->setGeometry(twips_.px(r.left), twips_.px(r.top), twips_.px(r.width),
                        twips_.px(r.height));
}

void FormView::followScreen() {
    const Twips now = Twips::on(screen());
    if (now == twips_) return;
    twips_ = now;
    for (const auto& [control, widget] : drawn_) {
        widget->setFont(fontFor(control->Font(), twips_));
        place(widget, *control);
    }
    // The frame is the window manager's, in pixels: the same frame is fewer twips now.
    reportFrame();
    syncWindow();
}

void FormView::reportFrame() {
    if (!isVisible()) return;
    const QMargins frame = visibleFrame(*this);
    form_.Me.setFrame(twips_.fromPx(frame.left() + frame.right()),
                      twips_.fromPx(frame.top() + frame.bottom()));
}

void FormView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!followingScreen_ && windowHandle()) {
        followingScreen_ = true;
        // The screen it is on, and that screen's DPI as the desktop's text size changes.
        const auto follow = [this](QScreen* screen) {
            if (screen)
                connect(screen, &QScreen::logicalDotsPerInchChanged, this, &FormView::followScreen,
                        Qt::UniqueConnection);
            followScreen();
        };
        connect(windowHandle(), &QWindow::screenChanged, this, follow);
        follow(screen());
    }
    reportFrame();
}

void FormView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    reportFrame();
}

void FormView::syncResults() {
    const auto& model = form_.List7;
    results_->setVisible(model.Visible());
    if (results_->count() > model.ListCount()) results_->clear();
    for (qsizetype i = 0; i < results_->count(); ++i) {
        if (results_->item(int(i))->text() != model.ItemView(i)) {
            results_->clear();
            break;
        }
    }
    for (qsizetype i = results_->count(); i < model.ListCount(); ++i) {
        results_->addItem(model.ItemView(i).toString());
    }
    presentResults();
}

void FormView::presentResults() {
    // Lines written during play lie out of sight and stay quiet: making each new one current
    // would have a screen reader read it over the next word.
    const bool inView = results_->inView();
    if (inView && !resultsInView_ && results_->count() > 0) {
        // The game is over and its results come into view. The last line, the score, is in
        // sight and current, and the list takes the focus (the entry box is disabled now), so
        // the score is what the player sees and a screen reader reads first.
        // Current before the focus arrives: a list without a current line makes its first one
        // current as it takes the focus, and Orca 48 reads that line first.
        results_->setCurrentRow(results_->count() - 1);
        results_->scrollToBottom();
        results_->setFocus(Qt::OtherFocusReason);
        // And made current again now that the list has the focus: that is when the current
        // line is announced as focused, and not the list alone (Orca 43).
        results_->setCurrentRow(-1);
        results_->setCurrentRow(results_->count() - 1);
    }
    resultsInView_ = inView;
}

void FormView::syncWindow() {
    const auto& me = form_.Me;
    syncing_ = true;
    const QSize client(std::max(1, twips_.px(me.ClientWidth())),
                       std::max(1, twips_.px(me.ClientHeight())));
    // The user never resizes the window: its height is the layout's state.
    setFixedSize(client);
    move(twips_.px(me.Left()), twips_.px(me.Top()));
    syncing_ = false;
    if (me.Visible() && !isVisible()) show();
    presentResults();
}

void FormView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window manager puts its frame round the window as it moves it into place.
    reportFrame();
    if (syncing_ || unloading_ || !isVisible()) return;
    // The window manager or the user moved the window: the model follows.
    form_.Me.PlacedAt(twips_.fromPx(x()), twips_.fromPx(y()));
}

void FormView::closeEvent(QCloseEvent* event) {
    // Closing cannot be refused; the unload ends the program itself.
    event->ignore();
    if (unloading_) return;
    unloading_ = true;
    runGuarded(services_, [this] { form_.Me.Unload(); });
}

}  // namespace platform
