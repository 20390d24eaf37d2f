// The controls of the client's windows, with the properties, methods and
// events the forms use: picture boxes, images, labels, list boxes, text boxes
// and timers, and control arrays of them. Each visible control is backed by a
// Qt widget.
//
// Units. Left, Top, Width and Height are in the units of the control's
// container and read back exactly what was written, fraction included; only
// the Qt widget's geometry is rounded (each edge to the nearest pixel, so
// controls placed edge to edge stay edge to edge). A form measures its
// controls in twips (15 to a pixel) unless made with ScaleMode::Pixels; a
// picture box measures the controls inside it in pixels, while its own place
// is in its container's units.
//
// Drawing order. A container keeps its controls bottom to top (DrawingOrder).
// Windowless controls (Image, Label) are always drawn below windowed ones
// (PictureBox, ListBox, TextBox): ZOrder 0 brings a control to the top of its
// own layer, ZOrder 1 sends it to the bottom of it.
// New controls go on top of their layer. The Qt widget stacking always agrees.
//
// Events are std::function members that the owning form wires to its
// procedures; a control array passes the member's index first. Mouse
// positions are in the container's units (a picture box reports in its own).
//
// Colours are colour values of the form 0x00BBGGRR. Font sizes are in
// points at a fixed 96 DPI, so a text takes the same pixels as it was
// designed for on any screen.
//
// Unloading a form or an array member takes it out at once, but the C++
// object is deleted only when control returns to the event loop, so an event
// procedure may unload its own form or control and go on running.
#pragma once

#include "platform/HostedWidget.h"
#include "platform/Picture.h"
#include "platform/Runtime.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <type_traits>
#include <vector>

class QLineEdit;
class QListWidget;

namespace mj {

class Container;
class Control;
class Form;

// Run-time errors of the control runtime not listed in Runtime.h.
inline constexpr int ErrCantUnloadDesignControl = 362; // "Can't unload controls created at design time"
inline constexpr int ErrInvalidPropertyValue = 380;    // "Invalid property value"

// A colour value (0x00BBGGRR) as a Qt colour.
QColor VbColor(int32_t value);
// Pixel size of a font of `points` at 96 DPI (points * 96 / 72, rounded).
int FontPixelSize(double points);
// A font as the controls use it: the named face (falling back to the bundled
// Chinese face when the name is not installed), at FontPixelSize(points).
QFont MakeFont(const QString& name, double points, bool bold);

enum class ScaleMode { Twips, Pixels };

// MousePointer values.
enum MousePointerKind : int16_t {
    vbDefault = 0,
    vbArrow = 1,
    vbCrosshair = 2,
    vbIbeam = 3,
    vbSizePointer = 5,
    vbSizeNS = 7,
    vbSizeWE = 9,
    vbHourglass = 11,
    vbNoDrop = 12,
    vbSizeAll = 15,
    vbCustom = 99, // shows MouseIcon
};

using MouseHandler = std::function<void(int16_t button, int16_t shift, float x, float y)>;
using KeyHandler = std::function<void(int16_t& keyCode, int16_t shift)>;
using KeyPressHandler = std::function<void(int16_t& keyAscii)>;

namespace detail {
// A coordinate in pixels, rounded to the nearest pixel and kept inside what
// a widget can take.
int ToPixel(double value);
// Deletes a control that was taken out of its container once control is back
// in the event loop (see the header comment).
void DisposeLater(std::unique_ptr<Control> control);
// Checks a new place and size (error 380 for a place that is not a finite
// number or a size that is negative) and stores them; the size parts left
// out keep their values. True when the size changed.
bool MoveGeometry(double& left, double& top, double& width, double& height, double newLeft,
                  std::optional<double> newTop, std::optional<double> newWidth, std::optional<double> newHeight);
} // namespace detail

// Something that holds controls: a form or a picture box.
class Container {
public:
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    virtual ~Container();

    // The controls inside, bottom to top as drawn.
    const std::vector<Control*>& Controls() const { return children_; }
    // Their names, bottom to top.
    QStringList DrawingOrder() const;

    ScaleMode Units() const { return units_; }
    // Widget pixels per unit of this container (1/15 for twips).
    double PixelsPerUnit() const { return units_ == ScaleMode::Twips ? 1.0 / 15.0 : 1.0; }
    // The inner size in this container's units.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    // The form this container is (or lies on).
    virtual Form& OwnerForm() = 0;
    // The widget the controls' widgets are children of.
    QWidget* ContainerWidget() const { return containerWidget_; }

    // Paints (part of) a picture onto this container, stretched to the target
    // rectangle; the painting stays until the container's picture is
    // replaced. All values are in this container's units, the source
    // rectangle too; a missing size takes the picture's own size, a missing
    // source corner is (0, 0). An empty picture raises error 481.
    void PaintPicture(const mj::Picture& picture, double x1, double y1,
                      std::optional<double> width1 = {}, std::optional<double> height1 = {},
                      std::optional<double> x2 = {}, std::optional<double> y2 = {},
                      std::optional<double> width2 = {}, std::optional<double> height2 = {});

protected:
    explicit Container(ScaleMode units);
    void SetContainerWidget(QWidget* widget) { containerWidget_ = widget; }
    // Back colour, picture at its natural size in the top-left corner, then
    // whatever PaintPicture left.
    void PaintSurface(QPainter& painter, int32_t backColor, const mj::Picture& picture) const;
    void ClearPainting() { painted_ = QImage(); }

private:
    friend class Control;
    void Add(Control* control);
    void Remove(Control* control);
    void Restack(Control* control, bool toFront);

    ScaleMode units_;
    QWidget* containerWidget_ = nullptr;
    std::vector<Control*> children_;
    QImage painted_;
};

// What all controls share.
class Control : protected detail::WidgetHost {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    ~Control() override;

    // "Pic1", or "MJ_Image(5)" for a member of a control array.
    QString Name() const;
    // The index in its control array; -1 when it is not in one.
    int Index() const { return index_; }
    Container& Parent() const { return *parent_; }
    QWidget* Widget() const { return widget_; }

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void SetLeft(double value);
    void SetTop(double value);
    // A negative size raises error 380.
    void SetWidth(double value);
    void SetHeight(double value);
    void Move(double left, std::optional<double> top = {}, std::optional<double> width = {},
              std::optional<double> height = {});

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    QString ToolTipText() const { return toolTip_; }
    void SetToolTipText(const QString& value);
    QString Tag() const { return tag_; }
    void SetTag(const QString& value) { tag_ = value; }

    int32_t ForeColor() const { return foreColor_; }
    void SetForeColor(int32_t value);
    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t value);
    QString FontName() const { return fontName_; }
    void SetFontName(const QString& value);
    double FontSize() const { return fontSize_; }
    void SetFontSize(double points);
    bool FontBold() const { return fontBold_; }
    void SetFontBold(bool value);
    QFont Font() const { return MakeFont(fontName_, fontSize_, fontBold_); }

    int16_t MousePointer() const { return mousePointer_; }
    void SetMousePointer(int16_t value);
    const mj::Picture& MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(const mj::Picture& value);

    // Repaints now, even while the thread is about to block.
    void Refresh();
    // 0: to the top of its layer among its container's controls; 1: to the bottom.
    void ZOrder(int16_t position = 0);
    // Gives the control the keyboard focus; error 5 when it is hidden,
    // disabled or cannot take the focus.
    void SetFocus();

    MouseHandler OnMouseDown, OnMouseMove, OnMouseUp;
    std::function<void()> OnClick, OnDblClick, OnGotFocus, OnLostFocus;
    KeyHandler OnKeyDown, OnKeyUp;
    KeyPressHandler OnKeyPress;

protected:
    // Windowless controls are drawn below windowed ones.
    enum class Layer { Windowless, Windowed };
    Control(Container& parent, const QString& name, Layer layer);
    // Each kind's constructor creates its widget (a child of
    // Parent().ContainerWidget()) and hands it over here.
    template <class Base>
    void Attach(detail::HostedWidget<Base>* widget)
    {
        link_ = widget;
        AttachWidget(widget);
    }

    // Copies what a new control-array member takes from the array's first
    // member: size and place, font, colours, mouse cursor, and each kind's own.
    virtual void CopyPropertiesFrom(const Control& source);
    // The font or a colour changed.
    virtual void AppearanceChanged();
    // The size in units changed.
    virtual void SizeChanged() {}

    double MouseUnitsPerPixel() const override;
    void HostMouseDown(int16_t button, int16_t shift, float x, float y) override;
    void HostMouseMove(int16_t button, int16_t shift, float x, float y) override;
    void HostMouseUp(int16_t button, int16_t shift, float x, float y) override;
    void HostClick() override;
    void HostDblClick() override;
    void HostKeyDown(int16_t& keyCode, int16_t shift) override;
    void HostKeyPress(int16_t& keyAscii) override;
    void HostKeyUp(int16_t& keyCode, int16_t shift) override;
    void HostGotFocus() override;
    void HostLostFocus() override;

    // Sets the size in units without the negative check (AutoSize, natural size).
    void SetSizeInternal(double width, double height);

private:
    template <class>
    friend class ControlArray;
    friend class Container;

    Layer LayerOf() const { return layer_; }
    void AttachWidget(QWidget* widget);
    void ApplyGeometry();
    void ApplyCursor();
    // Taken out of its container (unloaded): reports no events any more.
    void TakeOut();

    Container* parent_;
    QString name_;
    int index_ = -1;
    Layer layer_;
    QPointer<QWidget> widget_;
    detail::HostLink* link_ = nullptr;
    bool inContainer_ = false;

    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    QString toolTip_;
    QString tag_;
    int32_t foreColor_ = 0x000000;
    int32_t backColor_ = 0xF0F0F0;
    QString fontName_ = QStringLiteral("宋体");
    double fontSize_ = 9;
    bool fontBold_ = false;
    int16_t mousePointer_ = vbDefault;
    mj::Picture mouseIcon_;
};

// A picture box: a windowed control holding other controls, measured inside
// in pixels. Its picture is drawn at its natural size in the top-left corner.
class PictureBox : public Control, public Container {
public:
    PictureBox(Container& parent, const QString& name, ScaleMode units = ScaleMode::Pixels);
    ~PictureBox() override;

    const mj::Picture& Picture() const { return picture_; }
    // Replaces the picture and clears what PaintPicture left.
    void SetPicture(const mj::Picture& picture);

    double ScaleWidth() const override;
    double ScaleHeight() const override;
    Form& OwnerForm() override { return Control::Parent().OwnerForm(); }

protected:
    void CopyPropertiesFrom(const Control& source) override;
    double MouseUnitsPerPixel() const override;
    void HostPaint(QPainter& painter) override;

private:
    mj::Picture picture_;
};

// An image: shows a picture. Without Stretch, putting a picture in resizes
// the image to the picture's natural size and the picture is drawn unscaled
// from the top-left corner; with Stretch the picture is scaled to the image's
// size. Windowless.
class Image : public Control {
public:
    Image(Container& parent, const QString& name);

    const mj::Picture& Picture() const { return picture_; }
    void SetPicture(const mj::Picture& picture);
    bool Stretch() const { return stretch_; }
    // Turning Stretch off resizes the image to its picture.
    void SetStretch(bool value);

protected:
    void CopyPropertiesFrom(const Control& source) override;
    void HostPaint(QPainter& painter) override;

private:
    void FitToPicture();

    mj::Picture picture_;
    bool stretch_ = false;
};

// A label: text in a rectangle, wrapped at word boundaries within its width.
// Windowless; a transparent label still takes the mouse over its rectangle.
class Label : public Control {
public:
    enum AlignmentKind : int16_t { vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2 };
    enum BackStyleKind : int16_t { vbTransparent = 0, vbOpaque = 1 };

    Label(Container& parent, const QString& name);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    int16_t Alignment() const { return alignment_; }
    void SetAlignment(int16_t value);
    int16_t BackStyle() const { return backStyle_; }
    void SetBackStyle(int16_t value);
    // With AutoSize: WordWrap keeps the width and grows the height, without
    // it the label takes the width of its longest line.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // The label fits its size to its caption whenever caption or font change.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

protected:
    void CopyPropertiesFrom(const Control& source) override;
    void AppearanceChanged() override;
    void SizeChanged() override;
    void HostPaint(QPainter& painter) override;

private:
    QString DisplayText() const;
    int TextFlags() const;
    void FitToCaption();

    QString caption_;
    int16_t alignment_ = vbLeftJustify;
    int16_t backStyle_ = vbOpaque;
    bool wordWrap_ = false;
    bool autoSize_ = false;
    bool fitting_ = false;
};

// A list box: one column of text lines.
class ListBox : public Control {
public:
    ListBox(Container& parent, const QString& name);

    // Appends the line, or inserts it at `index` (0..ListCount; else error 5).
    // The line ends at its first NUL character.
    void AddItem(const QString& item, std::optional<int> index = {});
    // Error 5 when there is no such line. Removing the selected line leaves
    // no line selected.
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    // The line at `index`; "" when there is none.
    QString List(int index) const;
    // The selected line, -1 for none. Setting it outside -1..ListCount-1
    // raises error 380.
    int ListIndex() const;
    void SetListIndex(int index);
    // The first line shown. Setting it outside 0..ListCount-1 raises error
    // 380; the list scrolls as far as it can towards it.
    int TopIndex() const;
    void SetTopIndex(int index);

protected:
    void AppearanceChanged() override;

private:
    // Scrolling lays every line out again, at a cost that grows with the
    // lines the list holds. A list that is not on screen (the chat history
    // while its window is closed) keeps the line asked for and scrolls to it
    // when it is shown or its top line is read.
    void scrollToPendingTop() const;

    QListWidget* list_;
    mutable int pendingTop_ = -1;
};

// A one-line text box.
class TextBox : public Control {
public:
    TextBox(Container& parent, const QString& name);

    QString Text() const;
    // Raises Change when the text differs. Not limited by MaxLength.
    void SetText(const QString& value);
    // The caret position (0 = before the first character) or the start of the selection.
    int SelStart() const;
    // Clamped to the text; clears the selection. Negative raises error 380.
    void SetSelStart(int value);
    int SelLength() const;
    // Selects from SelStart, clamped to the text. Negative raises error 380.
    void SetSelLength(int value);
    bool Locked() const { return locked_; }
    void SetLocked(bool value);
    // The most characters the user can type; 0 for no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);

    std::function<void()> OnChange;

protected:
    void CopyPropertiesFrom(const Control& source) override;
    void AppearanceChanged() override;

private:
    bool locked_ = false;
    int maxLength_ = 0;
    int lastLength_ = 0; // length of the text before the edit being checked
    bool settingText_ = false;
    QLineEdit* edit_;
};

// A timer: while Enabled and Interval (milliseconds) > 0 it raises its
// Timer event every Interval. Interval 0 never fires. Disabling and enabling
// it, or changing the interval, starts the count again. It stops for good
// when its form unloads. Tests call Fire() to run a tick directly.
class Timer {
public:
    Timer(Form& owner, const QString& name);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    QString Name() const { return name_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int32_t Interval() const { return interval_; }
    // 0..65535, else error 380.
    void SetInterval(int32_t milliseconds);
    // True while ticks are being counted.
    bool IsRunning() const { return timer_.isActive(); }
    // Runs the Timer event now.
    void Fire();

    std::function<void()> OnTimer;

private:
    friend class Form;
    void Update();
    void Kill();

    Form* owner_;
    QString name_;
    bool enabled_ = true;
    bool dead_ = false;
    int32_t interval_ = 0;
    QTimer timer_;
};

// The indexes first..last, for control arrays with many design members.
std::vector<int> IndexRange(int first, int last);

// A control array: controls of one kind sharing a name, told apart by index.
// The members made from the window description exist from the start; Load
// creates a further member as a hidden copy of the lowest existing member
// (see Control::CopyPropertiesFrom) at its place. Event handlers set on the
// array receive the member's index first and serve every member, loaded ones
// included.
template <class T>
class ControlArray {
    static_assert(std::is_base_of_v<Control, T>, "a control array holds controls");

public:
    // Picks the container of each member made from the window description.
    using ContainerOf = std::function<Container&(int index)>;

    // Creates the members that the window description has, for example {0}
    // or {1, 2, 3}, all in one container.
    ControlArray(Container& parent, const QString& name, const std::vector<int>& designIndexes = {0})
        : ControlArray(name, designIndexes, [&parent](int) -> Container& { return parent; })
    {
    }
    // The same for members spread over several containers (each icon in its
    // own strip, say). A loaded member goes into the lowest member's container.
    ControlArray(const QString& name, const std::vector<int>& designIndexes, const ContainerOf& containerOf)
        : name_(name)
    {
        for (int i : designIndexes) {
            if (i < 0 || i > 32767 || members_.count(i))
                Raise(ErrControlArrayMissing);
            create(i, containerOf(i));
            design_.insert(i);
        }
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;

    QString Name() const { return name_; }

    // The member `index`; error 340 when it does not exist.
    T& operator()(int index) const { return get(index); }
    T& operator[](int index) const { return get(index); }
    bool Exists(int index) const { return members_.count(index) != 0; }
    int LBound() const
    {
        if (members_.empty())
            Raise(ErrControlArrayMissing);
        return members_.begin()->first;
    }
    int UBound() const
    {
        if (members_.empty())
            Raise(ErrControlArrayMissing);
        return members_.rbegin()->first;
    }
    int Count() const { return static_cast<int>(members_.size()); }

    // Creates member `index` as a hidden copy of the lowest member. Error 360
    // when it exists already, 340 for an index outside 0..32767.
    void Load(int index)
    {
        if (Exists(index))
            Raise(ErrControlArrayExists);
        if (index < 0 || index > 32767 || members_.empty())
            Raise(ErrControlArrayMissing);
        const T& first = *members_.begin()->second;
        T& member = create(index, first.Parent());
        static_cast<Control&>(member).CopyPropertiesFrom(first);
        member.SetVisible(false);
    }

    // Removes a loaded member. Error 340 when it does not exist, 362 for a
    // member of the window description.
    void Unload(int index)
    {
        auto it = members_.find(index);
        if (it == members_.end())
            Raise(ErrControlArrayMissing);
        if (design_.count(index))
            Raise(ErrCantUnloadDesignControl, QStringLiteral("Can't unload controls created at design time"));
        std::unique_ptr<T> member = std::move(it->second);
        members_.erase(it);
        static_cast<Control&>(*member).TakeOut();
        detail::DisposeLater(std::move(member));
    }

    std::function<void(int16_t index)> OnClick, OnDblClick, OnGotFocus, OnLostFocus;
    std::function<void(int16_t index, int16_t button, int16_t shift, float x, float y)> OnMouseDown, OnMouseMove,
        OnMouseUp;
    std::function<void(int16_t index, int16_t& keyCode, int16_t shift)> OnKeyDown, OnKeyUp;
    std::function<void(int16_t index, int16_t& keyAscii)> OnKeyPress;

    // The members in increasing index order.
    class iterator {
    public:
        using Inner = typename std::map<int, std::unique_ptr<T>>::const_iterator;
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;
        explicit iterator(Inner it) : it_(it) {}
        T& operator*() const { return *it_->second; }
        T* operator->() const { return it_->second.get(); }
        iterator& operator++()
        {
            ++it_;
            return *this;
        }
        bool operator==(const iterator& other) const { return it_ == other.it_; }

    private:
        Inner it_;
    };
    iterator begin() const { return iterator(members_.begin()); }
    iterator end() const { return iterator(members_.end()); }

private:
    T& get(int index) const
    {
        auto it = members_.find(index);
        if (it == members_.end())
            Raise(ErrControlArrayMissing);
        return *it->second;
    }

    T& create(int index, Container& parent)
    {
        auto member = std::make_unique<T>(parent, name_);
        T& m = *member;
        static_cast<Control&>(m).index_ = index;
        if (QWidget* w = m.Widget())
            w->setObjectName(m.Name());
        const auto i = static_cast<int16_t>(index);
        m.OnClick = [this, i] { if (OnClick) OnClick(i); };
        m.OnDblClick = [this, i] { if (OnDblClick) OnDblClick(i); };
        m.OnGotFocus = [this, i] { if (OnGotFocus) OnGotFocus(i); };
        m.OnLostFocus = [this, i] { if (OnLostFocus) OnLostFocus(i); };
        m.OnMouseDown = [this, i](int16_t b, int16_t s, float x, float y) { if (OnMouseDown) OnMouseDown(i, b, s, x, y); };
        m.OnMouseMove = [this, i](int16_t b, int16_t s, float x, float y) { if (OnMouseMove) OnMouseMove(i, b, s, x, y); };
        m.OnMouseUp = [this, i](int16_t b, int16_t s, float x, float y) { if (OnMouseUp) OnMouseUp(i, b, s, x, y); };
        m.OnKeyDown = [this, i](int16_t& k, int16_t s) { if (OnKeyDown) OnKeyDown(i, k, s); };
        m.OnKeyUp = [this, i](int16_t& k, int16_t s) { if (OnKeyUp) OnKeyUp(i, k, s); };
        m.OnKeyPress = [this, i](int16_t& k) { if (OnKeyPress) OnKeyPress(i, k); };
        members_.emplace(index, std::move(member));
        return m;
    }

    QString name_;
    std::map<int, std::unique_ptr<T>> members_;
    std::set<int> design_;
};

} // namespace mj
