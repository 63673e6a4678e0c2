// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClickLabel.h"

#include "app/Controls.h"
#include "platform/ErrorReport.h"
#include "platform/QtRuntime.h"

#include <QMouseEvent>

namespace platform {

ClickLabel::ClickLabel(app::Label& model, QtRuntime& runtime, QWidget* parent)
    : QLabel(parent), model_(model), runtime_(runtime) {}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        RunGuarded(runtime_, [this] { model_.Click(); });
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace platform
