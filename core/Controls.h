#pragma once
// The small controls every window is made of, as plain state. Each reports its
// changes through a Signal so that a view, or the window itself, can follow it.

#include "core/Colour.h"
#include "core/Signal.h"

#include <string>
#include <utility>
#include <vector>

namespace calvane {

// A caption that can be shown or hidden (labels, menu items, group boxes).
class Label {
public:
    explicit Label(std::string caption = {}) : caption_(std::move(caption)) {}
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption)
    {
        caption_ = std::move(caption);
        changed.notify();
    }
    bool visible() const { return visible_; }
    void setVisible(bool visible)
    {
        if (visible_ == visible)
            return;
        visible_ = visible;
        changed.notify();
    }
    std::string hint;
    Signal<> changed;

private:
    std::string caption_;
    bool visible_ = true;
};

// The mouse button of a press, as the grids' mouse-down handlers receive it.
enum class MouseButton { Left, Right, Middle };

// A menu item: what the user interface shows and binds to its handler. An item whose
// caption or availability follows the window's state changes them through set(); the
// view follows `changed`.
struct MenuItem {
    std::string caption;
    std::string shortcut;  // as Qt's QKeySequence reads it, empty for none
    std::string hint;
    bool enabled = true;
    Signal<> changed{};

    void set(std::string newCaption, bool nowEnabled)
    {
        if (newCaption == caption && nowEnabled == enabled)
            return;
        caption = std::move(newCaption);
        enabled = nowEnabled;
        changed.notify();
    }
};

// A one-line text field. textChanged runs only when the text really changes.
class TextField {
public:
    explicit TextField(std::string text = {}) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }
    void setText(std::string text)
    {
        if (text == text_)
            return;
        text_ = std::move(text);
        textChanged.notify();
    }

    Colour background() const { return background_; }
    void setBackground(Colour colour)
    {
        if (colour == background_)
            return;
        background_ = colour;
        appearanceChanged.notify();
    }

    const std::string& hint() const { return hint_; }
    void setHint(std::string hint)
    {
        if (hint == hint_)
            return;
        hint_ = std::move(hint);
        appearanceChanged.notify();
    }

    bool visible() const { return visible_; }
    void setVisible(bool visible)
    {
        if (visible_ == visible)
            return;
        visible_ = visible;
        appearanceChanged.notify();
    }

    bool readOnly = false;
    Signal<> textChanged;
    Signal<> appearanceChanged;

private:
    std::string text_;
    Colour background_ = colours::windowBackground;
    std::string hint_;
    bool visible_ = true;
};

// A check box. clicked runs on every change of the checked state, whether the user
// or the program made it.
class CheckBox {
public:
    explicit CheckBox(std::string captionText = {}, std::string hintText = {})
        : caption(std::move(captionText)), hint(std::move(hintText))
    {
    }

    bool checked() const { return checked_; }
    void setChecked(bool checked)
    {
        if (checked == checked_)
            return;
        checked_ = checked;
        clicked.notify();
    }

    std::string caption;
    std::string hint;
    Signal<> clicked;

private:
    bool checked_ = false;
};

// A drop-down list: its items and the chosen text. itemsChanged and textChanged run
// only on a real change; the text need not be one of the items.
class ComboBox {
public:
    const std::vector<std::string>& items() const { return items_; }
    void setItems(std::vector<std::string> items)
    {
        if (items == items_)
            return;
        items_ = std::move(items);
        itemsChanged.notify();
    }

    const std::string& text() const { return text_; }
    void setText(std::string text)
    {
        if (text == text_)
            return;
        text_ = std::move(text);
        textChanged.notify();
    }

    std::string hint;
    Signal<> itemsChanged;
    Signal<> textChanged;

private:
    std::vector<std::string> items_;
    std::string text_;
};

// A fixed flag's two visible effects, the same in every window: its field on pure
// red while checked, and the state word the outputs print.
inline Colour fixedFieldBackground(const CheckBox& flag)
{
    return flag.checked() ? colours::red : colours::windowBackground;
}
inline const char* fixedStateWord(const CheckBox& flag) { return flag.checked() ? "Fixed" : "Computed"; }

// A progress bar's state: position out of maximum (the minimum is 0), shown as a
// percentage, drawn in a foreground colour.
class ProgressIndicator {
public:
    int position() const { return position_; }
    int maximum() const { return maximum_; }
    Colour colour() const { return colour_; }
    void setPosition(int position)
    {
        position_ = position;
        changed.notify();
    }
    void setMaximum(int maximum)
    {
        maximum_ = maximum;
        changed.notify();
    }
    void setColour(Colour colour)
    {
        colour_ = colour;
        changed.notify();
    }
    Signal<> changed;

private:
    int position_ = 0;
    int maximum_ = 100;
    Colour colour_ = rgb(0, 0, 128);
};

// A chart's own state beside its series: the title lines. The platform prints a chart
// by this object, as a job that carries the chart control's name.
class ChartTitle {
public:
    ChartTitle(std::string controlName, std::string first) : name(std::move(controlName)), lines_{std::move(first)} {}
    const std::vector<std::string>& lines() const { return lines_; }
    std::string text() const
    {
        std::string all;
        for (std::size_t i = 0; i < lines_.size(); ++i)
            all += (i ? "\n" : "") + lines_[i];
        return all;
    }
    void setSingleLine(std::string line)
    {
        lines_.clear();
        lines_.push_back(std::move(line));
        changed.notify();
    }
    const std::string name;
    Signal<> changed;

private:
    std::vector<std::string> lines_;
};

// A window's pop-up menu, which the platform opens by this object; its items are the
// window's menu items. The name is the control's, for what the platform reports of it.
struct PopupMenu {
    std::string name;
};

// The hidden text control a window lays its printed report out in: the report prints
// in its font, of this size.
struct ReportText {
    double pointSize;
};

}  // namespace calvane
