// The language runtime rules the client relies on: run-time errors, arrays with
// fixed inclusive bounds and checked indexing, the number conversions that
// read text and round numbers, ending the program, and message boxes.
//
// Every index that comes from outside (a frame, a file, the hall, the plug-in)
// goes through VbArray's checked access, so bad input raises RuntimeError
// (error 9) instead of touching memory out of bounds.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace mj {

// Error numbers the runtime raises; handlers and messages test for them.
enum ErrorNumber : int {
    ErrInvalidCall = 5,        // "Invalid procedure call or argument"
    ErrOverflow = 6,           // "Overflow"
    ErrSubscript = 9,          // "Subscript out of range"
    ErrTypeMismatch = 13,      // "Type mismatch"
    ErrFileNotFound = 53,      // "File not found"
    ErrPathAccess = 75,        // "Path/File access error"
    ErrObjectNotSet = 91,      // "Object variable or With block variable not set"
    ErrControlArrayMissing = 340,   // "Control array element does not exist"
    ErrControlArrayExists = 360,    // "Object already loaded"
    ErrResourceNotFound = 326,      // "Resource with identifier not found"
    ErrInvalidPicture = 481,        // "Invalid picture"
};

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description);
    int Number;
    QString Description;
};

// Raises run-time error `number`; the text defaults to the runtime's own.
[[noreturn]] void Raise(int number, const QString& description = QString());
QString ErrorText(int number);

// An array with inclusive bounds Lo..Hi. Every access is checked.
template <typename T, int Lo, int Hi>
class VbArray {
    static_assert(Hi >= Lo, "empty bounds");

public:
    static constexpr int LBound = Lo;
    static constexpr int UBound = Hi;
    static constexpr int Count = Hi - Lo + 1;

    T& operator[](long long i) { return items_[check(i)]; }
    const T& operator[](long long i) const { return items_[check(i)]; }
    T& operator()(long long i) { return items_[check(i)]; }
    const T& operator()(long long i) const { return items_[check(i)]; }

    static bool InBounds(long long i) { return i >= Lo && i <= Hi; }
    void Fill(const T& v) { items_.fill(v); }

    T* begin() { return items_.data(); }
    T* end() { return items_.data() + Count; }
    const T* begin() const { return items_.data(); }
    const T* end() const { return items_.data() + Count; }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }

    bool operator==(const VbArray&) const = default;

private:
    static std::size_t check(long long i)
    {
        if (i < Lo || i > Hi)
            Raise(ErrSubscript);
        return static_cast<std::size_t>(i - Lo);
    }
    std::array<T, Count> items_{};
};

// A two-dimensional array with inclusive bounds on both axes: a(i, j).
template <typename T, int Lo1, int Hi1, int Lo2, int Hi2>
class VbArray2 {
public:
    static constexpr int LBound1 = Lo1, UBound1 = Hi1, LBound2 = Lo2, UBound2 = Hi2;

    T& operator()(long long i, long long j) { return rows_[i][j]; }
    const T& operator()(long long i, long long j) const { return rows_[i][j]; }
    VbArray<T, Lo2, Hi2>& Row(long long i) { return rows_[i]; }
    const VbArray<T, Lo2, Hi2>& Row(long long i) const { return rows_[i]; }
    void Fill(const T& v)
    {
        for (auto& r : rows_)
            r.Fill(v);
    }
    bool operator==(const VbArray2&) const = default;

private:
    VbArray<VbArray<T, Lo2, Hi2>, Lo1, Hi1> rows_{};
};

// Conversions. Text to a number follows one set of rules: leading and
// trailing blanks are allowed, "&H"/"&O" prefixes are read, a fraction rounds
// half to even; text that is not a number raises error 13, a number outside
// the type's range error 6.
int16_t CInt(const QString& text);
int16_t CInt(double value);
int32_t CLng(const QString& text);
int32_t CLng(double value);
uint8_t CByte(double value);
double CDbl(const QString& text);
// True when CDbl would accept the text.
bool IsNumeric(const QString& text);
// The leading number of a text; never fails. Blanks, tabs and line feeds are
// skipped anywhere; reading stops at the first character that cannot continue
// the number; no number gives 0.
double Val(const QString& text);
// Rounds half to even, as every conversion to a whole number does.
double RoundHalfEven(double value);

// Ends the program at once, running none of the unload steps. Tests replace
// the action (see SetEndProgramAction) so that they can see a path end the
// program; the replacement must not return (throw ProgramEnded, say).
[[noreturn]] void EndProgram(int exitCode = 0);
struct ProgramEnded {
    int ExitCode;
};
void SetEndProgramAction(std::function<void(int)> action);

// Message box buttons and answers, by the numbers callers pass and test.
enum MsgBoxStyle : int {
    vbOKOnly = 0, vbOKCancel = 1, vbYesNo = 4,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Shows a modal message box and returns the answer. Tests install an answerer
// that sees the prompt and decides the answer without a window.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());
using MsgBoxAnswerer = std::function<int(const QString& prompt, int style, const QString& title)>;
void SetMsgBoxAnswerer(MsgBoxAnswerer answerer);

} // namespace mj
