// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Controls.h"

#include "app/CodePage.h"
#include "runtime/RuntimeError.h"

#include <QMetaMethod>
#include <utility>

namespace app {

Control::Control(QString name, TwipsRect rect, int tabIndex, FontSpec font, bool visible)
    : name_(std::move(name)),
      rect_(rect),
      tabIndex_(tabIndex),
      font_(std::move(font)),
      visible_(visible) {}

void Control::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    notify();
}

void Control::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    notify();
}

void Control::setToolTip(const QString& t) {
    if (toolTip_ == t) return;
    toolTip_ = t;
    notify();
}

void CaptionedControl::setCaption(const QString& c) {
    if (caption_ == c) return;
    caption_ = c;
    notify();
}

void CaptionedControl::setBackColor(Rgb c) {
    backColor_ = c;
    notify();
}

void Label::Click() {
    if (Enabled() && onClick) onClick();
}

void TextBox::setText(const QString& t) {
    if (text_ == t) return;
    text_ = t;
    notify();
}

void TextBox::SetFocus() { emit focusRequested(); }

int TextBox::KeyPress(int keyAscii) {
    if (!Enabled()) return 0;
    // The handler sees the key as the code page has it: a character outside it (U+0130, the
    // Kelvin sign) arrives as '?', never as the letter Unicode would lowercase it to.
    keyAscii = cp1252::fromUnicode(char32_t(keyAscii));
    if (onKeyPress) onKeyPress(keyAscii);
    return keyAscii;
}

QString TextBox::Admit(QStringView incoming) {
    QString admitted;
    for (QChar ch : incoming) {
        const int code = ch.unicode();
        if (code < 32 || code == 127) continue;
        const int result = KeyPress(code);
        if (result >= 32) admitted.append(QChar(char16_t(result)));
    }
    return admitted;
}

void CommandButton::Click() {
    if (Visible() && Enabled() && onClick) onClick();
}

void ListBox::AddItem(QStringView text) {
    items_.append(text);
    if (watched_) notify();
}

void ListBox::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&Control::changed)) watched_ = true;
}

void ListBox::disconnectNotify(const QMetaMethod& signal) {
    // Disconnecting everything at once (as a destructor does) names no signal.
    if (!signal.isValid() || signal == QMetaMethod::fromSignal(&Control::changed)) {
        watched_ = isSignalConnected(QMetaMethod::fromSignal(&Control::changed));
    }
}

void ListBox::Clear() {
    items_.clear();
    notify();
}

QString ListBox::List(qsizetype i) const {
    if (i < 0 || i >= items_.size()) return QString();
    return items_.at(i).toString();
}

StringList ListBox::TakeItems() {
    StringList taken = std::move(items_);
    items_ = StringList();
    notify();
    return taken;
}

void ListBox::PutItems(StringList items) {
    items_ = std::move(items);
    notify();
}

Window::Window(QString caption, int clientWidth, int clientHeight)
    : caption_(std::move(caption)), width_(float(clientWidth)), height_(float(clientHeight)) {}

void Window::setFrame(float width, float height) {
    if (width == frameWidth_ && height == frameHeight_) return;
    if (!widthSet_) width_ += width - frameWidth_;
    if (!heightSet_) height_ += height - frameHeight_;
    frameWidth_ = width;
    frameHeight_ = height;
    emit changed();
}

void Window::checkMovable() const {
    if (minimized_) throw runtime::RuntimeError(runtime::Err::CantMoveMinimized);
}

void Window::setLeft(float v) {
    checkMovable();
    left_ = v;
    emit changed();
}

void Window::setTop(float v) {
    checkMovable();
    top_ = v;
    emit changed();
}

void Window::setWidth(float v) {
    checkMovable();
    if (v < MinWidth) throw runtime::RuntimeError(runtime::Err::InvalidPropertyValue);
    width_ = v;
    widthSet_ = true;
    emit changed();
}

void Window::setHeight(float v) {
    checkMovable();
    if (v < MinHeight) throw runtime::RuntimeError(runtime::Err::InvalidPropertyValue);
    height_ = v;
    heightSet_ = true;
    emit changed();
}

void Window::PlacedAt(float left, float top) {
    left_ = left;
    top_ = top;
}

void Window::Unload() {
    if (onUnload) onUnload();
}

void Window::Show() {
    if (visible_) return;
    visible_ = true;
    emit changed();
}

void Window::setMinimized(bool m) {
    if (minimized_ == m) return;
    minimized_ = m;
    emit changed();
}

}  // namespace app
