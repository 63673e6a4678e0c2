// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClickLabel.h"

#include "app/Controls.h"
#include "app/FrmMain.h"
#include "platform/ErrorReport.h"
#include "platform/QtServices.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleValueChangeEvent>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLatin1String>
#include <QMouseEvent>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVariant>
#include <array>

namespace platform {

namespace {

// To a screen reader the level label is what it is to the hand: a control that steps through
// the levels when pressed, named by the level it shows, its value the level's number. Screen
// readers pass over the name changes of labels (and Orca cannot read Qt's), but they say the new
// value of the control in focus.
class LevelAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit LevelAccessible(ClickLabel* label) : QAccessibleWidget(label, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? label()->text() : QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            label()->press();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

    QVariant currentValue() const override { return app::levelOf(label()->text()); }
    // Set outright by stepping round to it, as the game steps the level.
    void setCurrentValue(const QVariant& value) override {
        bool number = false;
        const int level = value.toInt(&number);
        if (number) label()->stepTo(level);
    }
    QVariant maximumValue() const override { return int(app::LevelCaption.size()); }
    QVariant minimumValue() const override { return 1; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

QAccessibleInterface* levelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ClickLabel::staticMetaObject.className())) {
        return new LevelAccessible(static_cast<ClickLabel*>(object));
    }
    return nullptr;
}

}  // namespace

ClickLabel::ClickLabel(app::Label& model, QtServices& services, QWidget* parent)
    : QLabel(parent), model_(model), services_(services) {
    static const bool accessibleAsLevel = (QAccessible::installFactory(levelAccessible), true);
    Q_UNUSED(accessibleAsLevel);
    // Reachable without a mouse; while disabled (during a game) it takes no focus.
    setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::showCaption(const QString& caption) {
    if (caption == text()) return;
    setText(caption);
    if (announcing_) announce();
}

void ClickLabel::press() { step(1); }

void ClickLabel::step(int clicks) {
    if (!isEnabled() || clicks <= 0) return;
    const QString before = text();
    // Only the last caption is told to a screen reader: stepping back is five steps on.
    announcing_ = false;
    runGuarded(services_, [this, clicks] {
        for (int i = 0; i < clicks; ++i) model_.Click();
    });
    announcing_ = true;
    if (text() != before) announce();
}

void ClickLabel::stepTo(int level) {
    const int levels = int(app::LevelCaption.size());
    const int now = app::levelOf(text());
    if (now == 0 || level < 1 || level > levels) return;
    step((level - now + levels) % levels);
}

void ClickLabel::announce() {
    QAccessibleValueChangeEvent changed(this, app::levelOf(text()));
    QAccessible::updateAccessibility(&changed);
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat()) press();
            event->accept();
            return;
        // A spin button's keys, as a screen reader announces it: on and back round the ring.
        case Qt::Key_Up:
            press();
            event->accept();
            return;
        case Qt::Key_Down:
            step(int(app::LevelCaption.size()) - 1);
            event->accept();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent* /*event*/) {
    // The caption in exactly the palette's colour for the label's state. The style's own way of
    // drawing a disabled label lightens it past what the palette says, and the level must stay
    // readable while a game runs.
    QStylePainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()), text());
    if (!hasFocus()) return;
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = contentsRect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        press();
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace platform
