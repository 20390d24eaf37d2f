// The controls: units and rounding, pictures, control arrays, drawing order,
// list boxes, text boxes, labels, fonts and timers, on real Qt widgets.
#include "TableSupport.h"
#include "TestSupport.h"

#include "platform/Controls.h"
#include "platform/Forms.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace mj;
using mjtest::SendMouse;

namespace {

Picture solid(int width, int height, QColor color, int id = 0)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return Picture::FromImage(image, id);
}

void flushUnloaded()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void sendKey(QWidget* w, int key, const QString& text = QString(), Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(w, &release);
}

// The names of a container's widgets in Qt's stacking order, bottom to top.
QStringList qtStacking(const Container& c)
{
    QStringList names;
    for (QObject* child : c.ContainerWidget()->children())
        if (auto* w = qobject_cast<QWidget*>(child))
            names.append(w->objectName());
    return names;
}

// A small table window: a picture box in twips on the form, holding
// controls in pixels.
class TableForm : public Form {
public:
    TableForm() : Form(QStringLiteral("TableForm"))
    {
        SetBorderless(true);
        Move(0, 0, 15600, 11940);
        Pic1.Move(120, 300, 15360, 11520);
        Pic1.SetBackColor(0x004000); // dark green
        MJ_Image(0).SetStretch(true);
        MJ_Image(0).Move(10, 20, 36, 50);
        ImgKuang(1).Move(0, 3, 126, 105);
        OnForm.Move(1500, 750, 900, 450);
    }

    PictureBox Pic1{*this, QStringLiteral("Pic1")};
    ControlArray<Image> MJ_Image{Pic1, QStringLiteral("MJ_Image")};
    ControlArray<Image> ImgKuang{Pic1, QStringLiteral("ImgKuang"), {1, 2, 3}};
    // Video icon strips with four icons each: one array over four containers.
    ControlArray<PictureBox> PicLocal{Pic1, QStringLiteral("PicLocal"), {0, 1, 2, 3}};
    ControlArray<Image> ImCmd{QStringLiteral("ImCmd"), IndexRange(0, 15),
                              [this](int i) -> Container& { return PicLocal(i / 4); }};
    Label OnForm{*this, QStringLiteral("OnForm")};
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override { DiscardAllForms(); }
    void TearDown() override { DiscardAllForms(); }
};

// ---- Units and rounding ------------------------------------------------------

TEST_F(Controls, GeometryReadsBackExactlyAndOnlyTheWidgetIsRounded)
{
    TableForm& f = form<TableForm>();
    struct Case {
        Control* control;
        double left, top, width, height;
        QRect widget; // in the container widget's pixels
    };
    const Case cases[] = {
        // Inside Pic1: pixels. Each edge rounds on its own, so 748.125 + 28.125
        // ends at 776.25 -> 776.
        {&f.MJ_Image(0), 748.125, 144.9375, 28.125, 39.0625, QRect(748, 145, 28, 39)},
        {&f.MJ_Image(0), 546.09375, 514.0625, 42.1875, 24.21875, QRect(546, 514, 42, 24)},
        {&f.MJ_Image(0), 3 + 1.0 / 3, 0, 16, 14, QRect(3, 0, 16, 14)},
        // On the form: twips, 15 to a pixel.
        {&f.OnForm, 1000.5, 7.5, 29.9, 15, QRect(67, 1, 2, 1)},
        {&f.OnForm, 120, 300, 15360, 11520, QRect(8, 20, 1024, 768)},
        // A picture box's own place is in its container's units.
        {&f.Pic1, 120, 300, 15360, 11520, QRect(8, 20, 1024, 768)},
    };
    for (const Case& c : cases) {
        c.control->Move(c.left, c.top, c.width, c.height);
        EXPECT_EQ(c.control->Left(), c.left) << c.control->Name().toStdString();
        EXPECT_EQ(c.control->Top(), c.top);
        EXPECT_EQ(c.control->Width(), c.width);
        EXPECT_EQ(c.control->Height(), c.height);
        EXPECT_EQ(c.control->Widget()->geometry(), c.widget) << c.control->Name().toStdString();
    }

    // Setting one property at a time keeps the others.
    Image& tile = f.MJ_Image(0);
    tile.SetLeft(0.5);
    tile.SetWidth(10.25);
    EXPECT_EQ(tile.Left(), 0.5);
    EXPECT_EQ(tile.Top(), 0);
    EXPECT_EQ(tile.Width(), 10.25);

    // The table's inner size in its own pixels.
    EXPECT_EQ(f.Pic1.ScaleWidth(), 1024);
    EXPECT_EQ(f.Pic1.ScaleHeight(), 768);
    EXPECT_EQ(f.ScaleWidth(), 15600);
}

TEST_F(Controls, InvalidSizesRaiseInsteadOfReachingTheWidget)
{
    TableForm& f = form<TableForm>();
    Image& tile = f.MJ_Image(0);
    tile.Move(1, 2, 3, 4);
    EXPECT_EQ(mjtest::ErrorOf([&] { tile.SetWidth(-1); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { tile.SetHeight(std::nan("")); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { tile.SetLeft(std::numeric_limits<double>::infinity()); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { tile.Move(0, 0, 5, -5); }), ErrInvalidPropertyValue);
    // A failed Move changes nothing.
    EXPECT_EQ(tile.Left(), 1);
    EXPECT_EQ(tile.Height(), 4);
    // Huge values are kept but the widget stays within what Qt can take.
    tile.SetLeft(1e12);
    EXPECT_EQ(tile.Left(), 1e12);
    EXPECT_LE(tile.Widget()->x(), 16777215);
}

// ---- Pictures ------------------------------------------------------------------

TEST_F(Controls, PictureGivesNaturalSizeWithoutStretchAndIsScaledWithIt)
{
    TableForm& f = form<TableForm>();
    Image plain(f.Pic1, QStringLiteral("plain"));
    Image stretched(f.Pic1, QStringLiteral("stretched"));
    Image onForm(f, QStringLiteral("onForm"));
    stretched.SetStretch(true);
    plain.Move(100, 100, 5, 5);
    stretched.Move(200, 100, 80, 20);
    onForm.Move(0, 0, 15, 15);

    const Picture red = solid(40, 60, Qt::red, 123);
    plain.SetPicture(red);
    stretched.SetPicture(red);
    onForm.SetPicture(red);

    EXPECT_EQ(plain.Width(), 40);
    EXPECT_EQ(plain.Height(), 60);
    EXPECT_EQ(stretched.Width(), 80);
    EXPECT_EQ(stretched.Height(), 20);
    EXPECT_EQ(onForm.Width(), 600); // twips
    EXPECT_EQ(onForm.Height(), 900);

    // Picture copied from one control to another keeps its resource id.
    Image copy(f.Pic1, QStringLiteral("copy"));
    copy.SetStretch(true);
    copy.SetPicture(plain.Picture());
    EXPECT_EQ(copy.Picture().ResourceId(), 123);
    EXPECT_EQ(copy.Picture(), red);

    // An empty picture clears the image and keeps its size.
    plain.SetPicture(Picture());
    EXPECT_TRUE(plain.Picture().IsNull());
    EXPECT_EQ(plain.Width(), 40);

    // Drawn: the stretched image covers its whole rectangle; a plain image
    // made larger than its picture draws it unscaled from its corner.
    plain.SetPicture(solid(10, 10, Qt::blue));
    plain.SetWidth(30);
    f.Show();
    const QImage shot = f.Grab();
    const QPoint pic1(8, 20);
    EXPECT_EQ(shot.pixelColor(pic1 + QPoint(200 + 79, 100 + 19)), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(pic1 + QPoint(105, 105)), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(pic1 + QPoint(125, 105)), VbColor(0x004000)); // Pic1 shows through
}

TEST_F(Controls, TurningStretchOffFitsTheImageToItsPicture)
{
    TableForm& f = form<TableForm>();
    Image& tile = f.MJ_Image(0); // stretched by design
    tile.SetPicture(solid(36, 50, Qt::white));
    tile.Move(0, 0, 28.125, 39.0625);
    EXPECT_EQ(tile.Width(), 28.125);
    tile.SetStretch(false);
    EXPECT_EQ(tile.Width(), 36);
    EXPECT_EQ(tile.Height(), 50);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A blinking button is given the picture it already shows many times a
// second: that must not repaint it, while another picture must, and the image
// still fits itself to the picture.
TEST_F(Controls, SettingThePictureAnImageShowsDoesNotRepaintIt)
{
    TableForm& f = form<TableForm>();
    Image& button = f.MJ_Image(0);
    button.SetStretch(false);
    const Picture lit = solid(20, 20, Qt::yellow, 7);
    button.SetPicture(lit);
    f.Show();
    button.SetVisible(true);
    f.Grab();
    QCoreApplication::processEvents();
    PaintCounter counter(button.Widget());

    const Picture again = lit; // another handle on the same decoded picture
    button.SetPicture(again);
    button.SetPicture(lit);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);

    button.Move(0, 0, 5, 5);
    button.SetPicture(lit);
    EXPECT_EQ(button.Width(), 20);
    EXPECT_EQ(button.Height(), 20);

    counter.paints = 0;
    button.SetPicture(solid(20, 20, Qt::blue, 7)); // the same id decoded apart may differ
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(f.Grab().pixelColor(QPoint(8, 20) + QPoint(5, 5)), QColor(Qt::blue));
}

// ---- Control arrays ------------------------------------------------------------

TEST_F(Controls, LoadMakesAHiddenCopyOfTheFirstMemberAtItsPlace)
{
    TableForm& f = form<TableForm>();
    Image& first = f.MJ_Image(0);
    first.SetPicture(solid(36, 50, Qt::green, 400));
    first.Move(12.5, 30.25, 28.125, 39.0625);
    first.SetMousePointer(vbCustom);
    first.SetMouseIcon(solid(16, 16, Qt::black, 777));
    first.SetToolTipText(QStringLiteral("牌"));
    first.SetForeColor(0x0000FF);
    first.SetFontSize(14.25);
    first.SetFontBold(true);

    std::vector<std::pair<int, float>> downs;
    f.MJ_Image.OnMouseDown = [&](int16_t index, int16_t button, int16_t, float x, float) {
        EXPECT_EQ(button, 1);
        downs.emplace_back(index, x);
    };

    f.MJ_Image.Load(5);
    Image& copy = f.MJ_Image(5);
    EXPECT_EQ(copy.Name(), QStringLiteral("MJ_Image(5)"));
    EXPECT_EQ(copy.Index(), 5);
    EXPECT_FALSE(copy.Visible());
    EXPECT_TRUE(copy.Widget()->isHidden());
    EXPECT_EQ(copy.Picture().ResourceId(), 400);
    EXPECT_TRUE(copy.Stretch());
    EXPECT_EQ(copy.Left(), 12.5);
    EXPECT_EQ(copy.Top(), 30.25);
    EXPECT_EQ(copy.Width(), 28.125);
    EXPECT_EQ(copy.Height(), 39.0625);
    EXPECT_EQ(copy.MousePointer(), vbCustom);
    EXPECT_EQ(copy.MouseIcon().ResourceId(), 777);
    EXPECT_EQ(copy.ToolTipText(), QStringLiteral("牌"));
    EXPECT_EQ(copy.ForeColor(), 0x0000FF);
    EXPECT_EQ(copy.FontSize(), 14.25);
    EXPECT_TRUE(copy.FontBold());

    // The array's handlers serve the loaded member too, with its index.
    copy.SetVisible(true);
    f.Show();
    SendMouse(copy.Widget(), QEvent::MouseButtonPress, QPoint(2, 0));
    SendMouse(first.Widget(), QEvent::MouseButtonPress, QPoint(4, 0));
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0], std::make_pair(5, 2.0f));
    EXPECT_EQ(downs[1], std::make_pair(0, 4.0f));

    EXPECT_EQ(f.MJ_Image.LBound(), 0);
    EXPECT_EQ(f.MJ_Image.UBound(), 5);
    EXPECT_EQ(f.MJ_Image.Count(), 2);
}

TEST_F(Controls, ArrayMembersAreCheckedOnEveryAccess)
{
    TableForm& f = form<TableForm>();
    f.MJ_Image.Load(1);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.MJ_Image.Load(1); }), ErrControlArrayExists);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.MJ_Image.Load(0); }), ErrControlArrayExists);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.MJ_Image.Load(-1); }), ErrControlArrayMissing);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.MJ_Image.Load(40000); }), ErrControlArrayMissing);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)f.MJ_Image(2); }), ErrControlArrayMissing);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)f.MJ_Image[-1]; }), ErrControlArrayMissing);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.MJ_Image.Unload(2); }), ErrControlArrayMissing);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.MJ_Image.Unload(0); }), ErrCantUnloadDesignControl);

    // An array without member 0 from the design: its members are 1 to 3,
    // and a loaded one copies the lowest.
    EXPECT_EQ(f.ImgKuang.LBound(), 1);
    EXPECT_EQ(f.ImgKuang.UBound(), 3);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)f.ImgKuang(0); }), ErrControlArrayMissing);
    f.ImgKuang.Load(0);
    EXPECT_EQ(f.ImgKuang(0).Width(), 126);
    EXPECT_EQ(f.ImgKuang.LBound(), 0);
}

TEST_F(Controls, ArrayMembersCanLieInDifferentContainers)
{
    TableForm& f = form<TableForm>();
    f.PicLocal(1).Move(126, 88, 145, 17);
    f.ImCmd(5).Move(40, 0, 16, 14);
    EXPECT_EQ(&f.ImCmd(5).Parent(), static_cast<Container*>(&f.PicLocal(1)));
    EXPECT_EQ(f.PicLocal(1).DrawingOrder(),
              (QStringList{"ImCmd(4)", "ImCmd(5)", "ImCmd(6)", "ImCmd(7)"}));
    // Table pixel (8, 20) is where Pic1 starts on the form.
    EXPECT_EQ(f.ImCmd(5).Widget()->mapTo(f.Widget(), QPoint(0, 0)), QPoint(8 + 126 + 40, 20 + 88));

    f.ImCmd.Load(16);
    EXPECT_EQ(&f.ImCmd(16).Parent(), static_cast<Container*>(&f.PicLocal(0)));
    EXPECT_EQ(f.PicLocal(0).DrawingOrder().last(), QStringLiteral("ImCmd(16)"));
}

TEST_F(Controls, UnloadTakesTheMemberOutAndItCanBeLoadedAgain)
{
    TableForm& f = form<TableForm>();
    f.MJ_Image.Load(1);
    f.MJ_Image.Load(2);
    int clicks = 0;
    f.MJ_Image.OnClick = [&](int16_t index) {
        ++clicks;
        // A handler may unload the very member that raised the event.
        f.MJ_Image.Unload(index);
    };
    Image& second = f.MJ_Image(2);
    second.SetVisible(true);
    f.Show();
    mjtest::Click(second.Widget(), QPointF(1, 1));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(f.MJ_Image.Exists(2));
    EXPECT_FALSE(f.Pic1.DrawingOrder().contains(QStringLiteral("MJ_Image(2)")));
    EXPECT_EQ(f.MJ_Image.Count(), 2);

    flushUnloaded();
    EXPECT_EQ(qtStacking(f.Pic1), f.Pic1.DrawingOrder());
    f.MJ_Image.Load(2);
    EXPECT_TRUE(f.MJ_Image.Exists(2));
    EXPECT_EQ(f.MJ_Image.UBound(), 2);
    int seen = 0;
    for (Image& member : f.MJ_Image) {
        (void)member;
        ++seen;
    }
    EXPECT_EQ(seen, 3);
}

// ---- Drawing order -------------------------------------------------------------

TEST_F(Controls, ZOrderMovesWithinTheLayerAndQtStackingAgrees)
{
    Form f(QStringLiteral("Stack"), ScaleMode::Pixels);
    PictureBox pic(f, QStringLiteral("pic"));
    pic.Move(0, 0, 100, 100);
    Image a(pic, QStringLiteral("a"));
    Image b(pic, QStringLiteral("b"));
    ListBox list(pic, QStringLiteral("list"));
    Image c(pic, QStringLiteral("c"));
    for (Image* img : {&a, &b, &c}) {
        img->SetStretch(true);
        img->Move(10, 10, 20, 20);
    }
    a.SetPicture(solid(4, 4, Qt::red));
    b.SetPicture(solid(4, 4, Qt::green));
    c.SetPicture(solid(4, 4, Qt::blue));
    list.Move(50, 50, 40, 40);

    // Windowless controls stay below windowed ones, even when made later.
    EXPECT_EQ(pic.DrawingOrder(), (QStringList{"a", "b", "c", "list"}));
    EXPECT_EQ(qtStacking(pic), pic.DrawingOrder());

    struct Step {
        Control* control;
        int16_t position;
        QStringList order;
        QColor onTop;
    };
    const Step steps[] = {
        {&a, 0, {"b", "c", "a", "list"}, Qt::red},
        {&c, 1, {"c", "b", "a", "list"}, Qt::red},
        {&b, 0, {"c", "a", "b", "list"}, Qt::green},
        {&a, 1, {"a", "c", "b", "list"}, Qt::green},
        {&list, 1, {"a", "c", "b", "list"}, Qt::green}, // still above the images
        {&c, 0, {"a", "b", "c", "list"}, Qt::blue},
    };
    f.Show();
    for (const Step& s : steps) {
        s.control->ZOrder(s.position);
        EXPECT_EQ(pic.DrawingOrder(), s.order);
        EXPECT_EQ(qtStacking(pic), s.order);
        EXPECT_EQ(f.Grab().pixelColor(15, 15), s.onTop) << s.order.join(',').toStdString();
    }

    // Moving the list over the images: it covers them whatever their order.
    list.Move(0, 0);
    c.ZOrder(0);
    EXPECT_EQ(pic.DrawingOrder().last(), QStringLiteral("list"));
    EXPECT_EQ(mjtest::ErrorOf([&] { a.ZOrder(2); }), ErrInvalidCall);
}

// ---- List boxes ----------------------------------------------------------------

TEST_F(Controls, ListBoxAddsRemovesAndSelects)
{
    Form f(QStringLiteral("Lists"), ScaleMode::Pixels);
    ListBox list(f, QStringLiteral("list"));
    list.AddItem(QStringLiteral("二"));
    list.AddItem(QStringLiteral("三"));
    list.AddItem(QStringLiteral("一"), 0);
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.List(0), QStringLiteral("一"));
    EXPECT_EQ(list.List(2), QStringLiteral("三"));
    EXPECT_EQ(list.List(3), QString());
    EXPECT_EQ(list.List(-1), QString());
    EXPECT_EQ(list.ListIndex(), -1);

    list.SetListIndex(2);
    EXPECT_EQ(list.ListIndex(), 2);
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), 1); // the selected line moved up with the list
    EXPECT_EQ(list.List(1), QStringLiteral("三"));
    list.RemoveItem(1);
    EXPECT_EQ(list.ListIndex(), -1); // the selected line is gone
    EXPECT_EQ(list.ListCount(), 1);

    EXPECT_EQ(mjtest::ErrorOf([&] { list.RemoveItem(1); }), ErrInvalidCall);
    EXPECT_EQ(mjtest::ErrorOf([&] { list.RemoveItem(-1); }), ErrInvalidCall);
    EXPECT_EQ(mjtest::ErrorOf([&] { list.AddItem(QStringLiteral("x"), 3); }), ErrInvalidCall);
    EXPECT_EQ(mjtest::ErrorOf([&] { list.SetListIndex(1); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { list.SetListIndex(-2); }), ErrInvalidPropertyValue);
    list.SetListIndex(0);
    list.SetListIndex(-1);
    EXPECT_EQ(list.ListIndex(), -1);

    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.TopIndex(), 0);
}

TEST_F(Controls, ListBoxScrollsToTopIndexAsFarAsItCan)
{
    Form f(QStringLiteral("Lists"), ScaleMode::Pixels);
    ListBox list(f, QStringLiteral("list"));
    list.Move(0, 0, 200, 60);
    for (int i = 0; i < 40; ++i)
        list.AddItem(QStringLiteral("line %1").arg(i));
    f.Show();
    list.SetTopIndex(10);
    EXPECT_EQ(list.TopIndex(), 10);
    // The newest line to the top: the list shows its last page.
    list.SetTopIndex(list.ListCount() - 1);
    EXPECT_GT(list.TopIndex(), 30);
    EXPECT_LT(list.TopIndex(), 40);
    EXPECT_EQ(mjtest::ErrorOf([&] { list.SetTopIndex(40); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { list.SetTopIndex(-1); }), ErrInvalidPropertyValue);
}

// A list off screen does not scroll (scrolling lays every line out) until it
// is shown or its top line is read; then it shows what was asked for.
TEST_F(Controls, AHiddenListBoxScrollsWhenShownOrRead)
{
    struct Case {
        const char* name;
        int top;         // asked for while hidden; -1 for the last line
        bool readFirst;  // TopIndex read while still hidden
        bool clearAfter; // the list cleared before it shows
    };
    const Case cases[] = {
        {"last line, then shown", -1, false, false},
        {"line 10, then shown", 10, false, false},
        {"last line, read while hidden", -1, true, false},
        {"cleared before shown", -1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form f(QStringLiteral("Lists"), ScaleMode::Pixels);
        ListBox list(f, QStringLiteral("list"));
        list.Move(0, 0, 200, 60);
        for (int i = 0; i < 40; ++i)
            list.AddItem(QStringLiteral("line %1").arg(i));
        auto* view = qobject_cast<QAbstractItemView*>(list.Widget());
        ASSERT_NE(view, nullptr);
        list.SetTopIndex(c.top < 0 ? list.ListCount() - 1 : c.top);
        EXPECT_EQ(view->verticalScrollBar()->value(), 0); // nothing laid out yet
        if (c.readFirst) {
            EXPECT_GT(list.TopIndex(), 30);
            EXPECT_LT(list.TopIndex(), 40);
        }
        if (c.clearAfter) {
            list.Clear();
            list.AddItem(QStringLiteral("new"));
        }
        f.Show();
        if (c.clearAfter)
            EXPECT_EQ(list.TopIndex(), 0);
        else if (c.top >= 0)
            EXPECT_EQ(list.TopIndex(), c.top);
        else {
            EXPECT_GT(list.TopIndex(), 30);
            EXPECT_LT(list.TopIndex(), 40);
        }
        // Shown, it scrolls at once again.
        list.AddItem(QStringLiteral("more"));
        list.SetTopIndex(0);
        EXPECT_EQ(view->verticalScrollBar()->value(), 0);
        EXPECT_EQ(list.TopIndex(), 0);
    }
}

TEST_F(Controls, ListBoxSelectsTheRowBeforeMouseDownAndRaisesDblClick)
{
    Form f(QStringLiteral("Lists"), ScaleMode::Pixels);
    ListBox list(f, QStringLiteral("list"));
    list.Move(0, 0, 200, 100);
    for (int i = 0; i < 5; ++i)
        list.AddItem(QStringLiteral("row %1").arg(i));
    f.Show();
    std::vector<QString> events;
    list.OnMouseDown = [&](int16_t, int16_t, float, float) { events.push_back("down " + QString::number(list.ListIndex())); };
    list.OnDblClick = [&] { events.push_back("dbl " + QString::number(list.ListIndex())); };
    auto* view = qobject_cast<QAbstractItemView*>(list.Widget());
    ASSERT_NE(view, nullptr);
    const QPoint row2 = view->visualRect(view->model()->index(2, 0)).center();
    QWidget* viewport = view->viewport();
    SendMouse(viewport, QEvent::MouseButtonPress, row2);
    SendMouse(viewport, QEvent::MouseButtonRelease, row2);
    SendMouse(viewport, QEvent::MouseButtonDblClick, row2);
    SendMouse(viewport, QEvent::MouseButtonRelease, row2);
    EXPECT_EQ(events, (std::vector<QString>{"down 2", "dbl 2"}));
}

// ---- Text boxes ----------------------------------------------------------------

TEST_F(Controls, TextBoxTextSelectionAndChange)
{
    Form f(QStringLiteral("Texts"), ScaleMode::Pixels);
    TextBox box(f, QStringLiteral("Chat"));
    int changes = 0;
    box.OnChange = [&] { ++changes; };
    box.SetText(QStringLiteral("你对张三说: 好"));
    EXPECT_EQ(changes, 1);
    box.SetText(QStringLiteral("你对张三说: 好"));
    EXPECT_EQ(changes, 1); // same text: no Change

    box.SetSelStart(3);
    EXPECT_EQ(box.SelStart(), 3);
    EXPECT_EQ(box.SelLength(), 0);
    box.SetSelLength(2);
    EXPECT_EQ(box.SelStart(), 3);
    EXPECT_EQ(box.SelLength(), 2);
    box.SetSelLength(100);
    EXPECT_EQ(box.SelLength(), 5); // up to the end of the text
    box.SetSelStart(100);
    EXPECT_EQ(box.SelStart(), 8);
    EXPECT_EQ(mjtest::ErrorOf([&] { box.SetSelStart(-1); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { box.SetSelLength(-1); }), ErrInvalidPropertyValue);
}

TEST_F(Controls, TextBoxMaxLengthLimitsTypingButNotTheProgram)
{
    Form f(QStringLiteral("Texts"), ScaleMode::Pixels);
    TextBox box(f, QStringLiteral("Chat"));
    box.SetMaxLength(3);
    for (const char* c : {"a", "b", "c", "d"})
        sendKey(box.Widget(), Qt::Key_A + (c[0] - 'a'), QString::fromLatin1(c));
    EXPECT_EQ(box.Text(), QStringLiteral("abc"));

    box.SetText(QStringLiteral("longer than three"));
    EXPECT_EQ(box.Text(), QStringLiteral("longer than three"));
    // Too long already: typing is refused, shortening is not.
    box.SetSelStart(100);
    sendKey(box.Widget(), Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(box.Text(), QStringLiteral("longer than three"));
    sendKey(box.Widget(), Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(box.Text(), QStringLiteral("longer than thre"));
}

TEST_F(Controls, KeyEventsRunPreviewDownPressAndCanSwallowTheKey)
{
    class Keys : public Form {
    public:
        Keys() : Form(QStringLiteral("Keys"), ScaleMode::Pixels) {}
        void Form_KeyDown(int16_t& keyCode, int16_t shift) override
        {
            log.push_back("form down " + QString::number(keyCode) + "/" + QString::number(shift));
        }
        TextBox Chat{*this, QStringLiteral("Chat")};
        std::vector<QString> log;
    } f;
    f.Chat.OnKeyDown = [&](int16_t& keyCode, int16_t) { f.log.push_back("down " + QString::number(keyCode)); };
    f.Chat.OnKeyPress = [&](int16_t& keyAscii) {
        f.log.push_back("press " + QString::number(keyAscii));
        if (keyAscii == 13 || keyAscii == 'q')
            keyAscii = 0; // swallowed
    };

    sendKey(f.Chat.Widget(), Qt::Key_C, QStringLiteral("c"));
    sendKey(f.Chat.Widget(), Qt::Key_Q, QStringLiteral("q"));
    sendKey(f.Chat.Widget(), Qt::Key_F2);
    EXPECT_EQ(f.Chat.Text(), QStringLiteral("c"));
    EXPECT_EQ(f.log, (std::vector<QString>{"down 67", "press 99", "down 81", "press 113", "down 113"}));

    f.log.clear();
    f.SetKeyPreview(true);
    sendKey(f.Chat.Widget(), Qt::Key_Alt);
    sendKey(f.Chat.Widget(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(f.log, (std::vector<QString>{"form down 18/4", "down 18", "form down 13/0", "down 13", "press 13"}));
}

// ---- Labels and fonts ----------------------------------------------------------

TEST(Fonts, PointSizesBecomePixelsAt96Dpi)
{
    const std::pair<double, int> cases[] = {{9, 12}, {10.5, 14}, {12, 16}, {14.25, 19}, {8, 11}, {15, 20}, {16, 21}};
    for (const auto& [points, pixels] : cases) {
        EXPECT_EQ(FontPixelSize(points), pixels) << points;
        EXPECT_EQ(MakeFont(QStringLiteral("宋体"), points, false).pixelSize(), pixels);
    }
    EXPECT_TRUE(MakeFont(QStringLiteral("宋体"), 9, true).bold());
}

TEST_F(Controls, LabelFontColoursAndAutoSize)
{
    Form f(QStringLiteral("Labels"), ScaleMode::Pixels);
    Label label(f, QStringLiteral("ID"));
    label.Move(10, 10, 38, 14);
    label.SetFontSize(10.5);
    EXPECT_EQ(label.Widget()->font().pixelSize(), 14);
    EXPECT_EQ(label.FontSize(), 10.5);
    EXPECT_EQ(mjtest::ErrorOf([&] { label.SetFontSize(0); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { label.SetAlignment(3); }), ErrInvalidPropertyValue);

    label.SetCaption(QStringLiteral("玩家0"));
    EXPECT_EQ(label.Width(), 38); // no AutoSize: the size stays
    label.SetAutoSize(true);
    const double oneLine = label.Height();
    EXPECT_GE(oneLine, 14);
    label.SetCaption(QStringLiteral("一个很长很长的名字"));
    EXPECT_GT(label.Width(), 38);
    EXPECT_EQ(label.Height(), oneLine);
    // With WordWrap the width stays and the text grows downwards.
    label.SetWordWrap(true);
    label.SetWidth(40);
    EXPECT_EQ(label.Width(), 40);
    EXPECT_GT(label.Height(), oneLine);

    // Opaque back colour and fore colour are BGR colour values.
    Label plate(f, QStringLiteral("plate"));
    plate.Move(100, 50, 30, 10);
    plate.SetBackColor(0x0080C0FF); // orange
    f.Show();
    EXPECT_EQ(f.Grab().pixelColor(125, 55), QColor(0xFF, 0xC0, 0x80));
    plate.SetBackStyle(Label::vbTransparent);
    EXPECT_EQ(f.Grab().pixelColor(125, 55), VbColor(f.BackColor()));
}

// ---- Timers --------------------------------------------------------------------

TEST_F(Controls, TimerRunsOnlyWhenEnabledWithAnInterval)
{
    class Timed : public Form {
    public:
        Timed() : Form(QStringLiteral("Timed")) {}
        Timer TimerBong{*this, QStringLiteral("TimerBong")};
    };
    Timed& f = form<Timed>();
    int ticks = 0;
    f.TimerBong.OnTimer = [&] { ++ticks; };
    EXPECT_TRUE(f.TimerBong.Enabled());
    EXPECT_EQ(f.TimerBong.Interval(), 0);
    EXPECT_FALSE(f.TimerBong.IsRunning()); // interval 0 never fires

    f.TimerBong.Fire(); // a driven tick
    EXPECT_EQ(ticks, 1);

    f.TimerBong.SetInterval(1);
    EXPECT_TRUE(f.TimerBong.IsRunning());
    {
        // A real tick, waited for on the event loop.
        QEventLoop loop;
        f.TimerBong.OnTimer = [&] {
            ++ticks;
            f.TimerBong.SetEnabled(false); // the main loop switches itself off like this
            loop.quit();
        };
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(5000);
        loop.exec();
    }
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(f.TimerBong.IsRunning());
    f.TimerBong.SetEnabled(true);
    EXPECT_TRUE(f.TimerBong.IsRunning());
    f.TimerBong.SetInterval(0);
    EXPECT_FALSE(f.TimerBong.IsRunning());
    EXPECT_EQ(mjtest::ErrorOf([&] { f.TimerBong.SetInterval(-1); }), ErrInvalidPropertyValue);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.TimerBong.SetInterval(65536); }), ErrInvalidPropertyValue);

    // Unloading the form stops its timers for good.
    f.TimerBong.SetInterval(50);
    Timer& timer = f.TimerBong;
    unload<Timed>();
    EXPECT_FALSE(timer.IsRunning());
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.IsRunning());
}

} // namespace
