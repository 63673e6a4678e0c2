// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StringList.h"

#include <QObject>
#include <QString>
#include <QStringView>
#include <functional>

namespace app {

// Positions and sizes in twips, as the layout was designed: 1440 per inch. How many make a pixel
// is the platform's business (15 at 96 dpi, 10 at 144).
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A font as the layout names it. points == 0 means the platform's default control font.
struct FontSpec {
    QString family;
    double points = 0;
    bool bold = false;
};

// A colour as the layout gives it.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb LightGrey{192, 192, 192};

// One control of the window: its design properties and the state the game reads and writes.
// The model is the truth; a view observes `changed` and mirrors it.
class Control : public QObject {
    Q_OBJECT
  public:
    Control(QString name, TwipsRect rect, int tabIndex, FontSpec font, bool visible);

    const QString& Name() const { return name_; }
    const TwipsRect& Rect() const { return rect_; }
    int TabIndex() const { return tabIndex_; }
    const FontSpec& Font() const { return font_; }

    bool Visible() const { return visible_; }
    void setVisible(bool v);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool e);
    const QString& ToolTip() const { return toolTip_; }
    void setToolTip(const QString& t);

  signals:
    void changed();

  protected:
    void notify() { emit changed(); }

  private:
    QString name_;
    TwipsRect rect_;
    int tabIndex_;
    FontSpec font_;
    bool visible_;
    bool enabled_ = true;
    QString toolTip_;
};

// A control that shows a caption on a face of its own colour, and can be clicked.
class CaptionedControl : public Control {
    Q_OBJECT
  public:
    using Control::Control;

    const QString& Caption() const { return caption_; }
    void setCaption(const QString& c);
    Rgb BackColor() const { return backColor_; }
    void setBackColor(Rgb c);

    std::function<void()> onClick;

  private:
    QString caption_;
    Rgb backColor_;
};

class Label : public CaptionedControl {
    Q_OBJECT
  public:
    using CaptionedControl::CaptionedControl;
    // The click event as the user raises it: a disabled label raises none.
    void Click();
};

// The key codes the runtime gives Backspace and Enter.
inline constexpr int vbKeyBack = 8;
inline constexpr int vbKeyReturn = 13;

class TextBox : public Control {
    Q_OBJECT
  public:
    using Control::Control;

    const QString& Text() const { return text_; }
    void setText(const QString& t);
    void SetFocus();

    // A typed character arrives as its Unicode code and reaches the handler as its Windows-1252
    // code; the handler may replace it, and 0 drops it. Returns the code the box should insert
    // (0: nothing). A disabled box takes no typing.
    int KeyPress(int keyAscii);
    std::function<void(int& keyAscii)> onKeyPress;

    // Text that arrives other than by typing (a paste, a drop, an input method) goes through the
    // same key handler one character at a time; control characters never submit or get in.
    QString Admit(QStringView incoming);

  signals:
    void focusRequested();

  private:
    QString text_;
};

class CommandButton : public CaptionedControl {
    Q_OBJECT
  public:
    using CaptionedControl::CaptionedControl;
    // A hidden or disabled button cannot be clicked.
    void Click();
};

class ListBox : public Control {
    Q_OBJECT
  public:
    using Control::Control;

    void AddItem(QStringView text);
    void Clear();
    // Room for a list about to be filled with up to this many lines and characters.
    void Reserve(std::size_t lines, std::size_t chars) { items_.reserve(lines, chars); }
    qsizetype ListCount() const { return items_.size(); }
    // A position past the last line reads as "".
    QString List(qsizetype i) const;
    QStringView ItemView(qsizetype i) const { return items_.at(i); }

    // Empties the list and hands over its lines, in order, without copying them.
    StringList TakeItems();
    // Replaces the lines with these, with one change notice for all of them.
    void PutItems(StringList items);

  protected:
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;

  private:
    StringList items_;
    // Whether anything watches the lines: a hidden pool takes a million of them at start-up and
    // on every draw, and nobody does.
    bool watched_ = false;
};

// The window itself. Geometry is in twips as single-precision values, as the runtime keeps it.
// Width and Height are the whole window's, title bar and borders included: the client area is
// what is left inside the frame the window manager draws, which the platform reports once the
// window is on the screen (none until then, and none without a window manager).
class Window : public QObject {
    Q_OBJECT
  public:
    // The smallest window the platform makes.
    static constexpr float MinWidth = 1680;
    static constexpr float MinHeight = 465;

    Window(QString caption, int clientWidth, int clientHeight);

    const QString& Caption() const { return caption_; }
    Rgb BackColor() const { return LightGrey; }

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    // A minimized window refuses moves and resizes (run-time error 384); sizes below the
    // smallest window are refused (380).
    void setLeft(float v);
    void setTop(float v);
    void setWidth(float v);
    void setHeight(float v);

    float ClientWidth() const { return width_ - frameWidth_; }
    float ClientHeight() const { return height_ - frameHeight_; }

    // What the frame adds to the client area, across and down. A side the program has not sized
    // keeps its design client size, as a window opens; a side it has sized keeps that size, and
    // its client area gives way to the frame.
    void setFrame(float width, float height);

    // Where the user or the window manager has put the window; the platform reports it.
    void PlacedAt(float left, float top);

    // Closing the window, by the user or by the program.
    void Unload();
    std::function<void()> onUnload;

    bool Visible() const { return visible_; }
    void Show();
    bool Minimized() const { return minimized_; }
    void setMinimized(bool m);

  signals:
    void changed();

  private:
    void checkMovable() const;

    QString caption_;
    float left_ = 0;
    float top_ = 0;
    float width_;
    float height_;
    float frameWidth_ = 0;
    float frameHeight_ = 0;
    bool widthSet_ = false;
    bool heightSet_ = false;
    bool visible_ = false;
    bool minimized_ = false;
};

}  // namespace app
