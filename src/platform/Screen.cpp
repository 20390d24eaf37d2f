#include "platform/Screen.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSize>

#include <optional>

namespace mj::Screen {

namespace {

std::optional<QSize>& overridden()
{
    static std::optional<QSize> size;
    return size;
}

// MJ_SCREEN_SIZE as "1280x720"; nothing when unset or not of that form.
std::optional<QSize> fromEnvironment()
{
    const QString text = qEnvironmentVariable("MJ_SCREEN_SIZE").trimmed();
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.width() <= 0 || size.height() <= 0)
        return std::nullopt;
    return size;
}

QSize current()
{
    if (overridden())
        return *overridden();
    if (const auto env = fromEnvironment())
        return *env;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->size();
    // No screen at all (no GUI application): the design size.
    return QSize(1024, 768);
}

} // namespace

int WidthPixels()
{
    return current().width();
}

int HeightPixels()
{
    return current().height();
}

double Width()
{
    return WidthPixels() * TwipsPerPixelX;
}

double Height()
{
    return HeightPixels() * TwipsPerPixelY;
}

void SetSize(int widthPixels, int heightPixels)
{
    overridden() = QSize(widthPixels, heightPixels);
}

void Reset()
{
    overridden().reset();
}

} // namespace mj::Screen
