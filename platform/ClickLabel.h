#pragma once

#include <QLabel>

namespace app {
class Label;
class Runtime;
}  // namespace app

namespace platform {

// A label that raises the model's Click when the mouse is released over it.
class ClickLabel final : public QLabel {
    Q_OBJECT
public:
    ClickLabel(app::Label& model, app::Runtime& runtime, QWidget* parent);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    app::Label& model_;
    app::Runtime& runtime_;
};

}  // namespace platform
