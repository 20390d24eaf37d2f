#include "platform/Runtime.h"

#include <QApplication>
#include <QMessageBox>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace mj {

namespace {

std::function<void(int)>& endAction()
{
    static std::function<void(int)> action;
    return action;
}

MsgBoxAnswerer& answerer()
{
    static MsgBoxAnswerer a;
    return a;
}

// Parses a whole text as a number the way the runtime's conversions do.
// Returns nothing when the text is not a number.
std::optional<double> parseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (t.size() > 2 && t[0] == u'&' && (t[1] == u'H' || t[1] == u'h' || t[1] == u'O' || t[1] == u'o')) {
        const bool hex = t[1] == u'H' || t[1] == u'h';
        bool ok = false;
        const qulonglong v = t.mid(2).toULongLong(&ok, hex ? 16 : 8);
        if (!ok || v > 0xFFFFFFFFull)
            return std::nullopt;
        // Up to 16 bits the literal is an Integer, else a Long: both signed.
        if (v <= 0xFFFF)
            return static_cast<double>(static_cast<int16_t>(v));
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    }
    QString s = t;
    s.replace(u'D', u'E').replace(u'd', u'e');
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

double checkedRange(double v, double lo, double hi)
{
    const double r = RoundHalfEven(v);
    if (!(r >= lo && r <= hi))
        Raise(ErrOverflow);
    return r;
}

} // namespace

QString ErrorText(int number)
{
    switch (number) {
    case ErrInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow: return QStringLiteral("Overflow");
    case ErrSubscript: return QStringLiteral("Subscript out of range");
    case ErrTypeMismatch: return QStringLiteral("Type mismatch");
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrPathAccess: return QStringLiteral("Path/File access error");
    case ErrObjectNotSet: return QStringLiteral("Object variable or With block variable not set");
    case ErrControlArrayMissing: return QStringLiteral("Control array element does not exist");
    case ErrControlArrayExists: return QStringLiteral("Object already loaded");
    case ErrResourceNotFound: return QStringLiteral("Resource with identifier not found");
    case ErrInvalidPicture: return QStringLiteral("Invalid picture");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(QStringLiteral("run-time error %1: %2").arg(number).arg(description).toStdString())
    , Number(number)
    , Description(description)
{
}

void Raise(int number, const QString& description)
{
    throw RuntimeError(number, description.isEmpty() ? ErrorText(number) : description);
}

double RoundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode is to nearest, ties to even
}

int16_t CInt(double value)
{
    return static_cast<int16_t>(checkedRange(value, -32768.0, 32767.0));
}

int16_t CInt(const QString& text)
{
    const auto v = parseNumber(text);
    if (!v)
        Raise(ErrTypeMismatch);
    return CInt(*v);
}

int32_t CLng(double value)
{
    return static_cast<int32_t>(checkedRange(value, -2147483648.0, 2147483647.0));
}

int32_t CLng(const QString& text)
{
    const auto v = parseNumber(text);
    if (!v)
        Raise(ErrTypeMismatch);
    return CLng(*v);
}

uint8_t CByte(double value)
{
    return static_cast<uint8_t>(checkedRange(value, 0.0, 255.0));
}

double CDbl(const QString& text)
{
    const auto v = parseNumber(text);
    if (!v)
        Raise(ErrTypeMismatch);
    return *v;
}

bool IsNumeric(const QString& text)
{
    return parseNumber(text).has_value();
}

double Val(const QString& text)
{
    // Blanks, tabs and line feeds are skipped wherever they stand.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            s.append(c);

    if (s.size() >= 2 && s[0] == u'&' && (s[1] == u'H' || s[1] == u'h' || s[1] == u'O' || s[1] == u'o')) {
        const bool hex = s[1] == u'H' || s[1] == u'h';
        int i = 2;
        qulonglong v = 0;
        while (i < s.size() && i < 2 + 16) {
            const int d = hex ? QString(s[i]).toInt(nullptr, 16) : s[i].digitValue();
            const bool isDigit = hex ? (s[i].isDigit() || QStringLiteral("abcdefABCDEF").contains(s[i]))
                                     : (s[i] >= u'0' && s[i] <= u'7');
            if (!isDigit)
                break;
            v = v * (hex ? 16 : 8) + static_cast<qulonglong>(d);
            ++i;
        }
        if (v <= 0xFFFF)
            return static_cast<int16_t>(v);
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }

    int i = 0;
    QString num;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        num.append(s[i++]);
    bool digits = false;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        num.append(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == u'.') {
        num.append(s[i++]);
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            num.append(s[i++]);
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        QString exp = QStringLiteral("e");
        int j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exp.append(s[j++]);
        bool expDigits = false;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') {
            exp.append(s[j++]);
            expDigits = true;
        }
        if (expDigits)
            num.append(exp);
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

void SetEndProgramAction(std::function<void(int)> action)
{
    endAction() = std::move(action);
}

void EndProgram(int exitCode)
{
    if (endAction())
        endAction()(exitCode);
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void SetMsgBoxAnswerer(MsgBoxAnswerer a)
{
    answerer() = std::move(a);
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    if (answerer())
        return answerer()(prompt, style, title);
    QMessageBox box;
    box.setText(prompt);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
    switch (style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (style & 0x0F) {
    case vbOKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok ? vbOK : vbCancel;
    case vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return vbOK;
    }
}

} // namespace mj
