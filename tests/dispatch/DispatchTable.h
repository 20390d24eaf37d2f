// The table window as the dispatcher's tests use it: laid out as start-up
// leaves it, on a driven clock, its timers left to the test, a hall in this
// process, and a program folder of its own.
#pragma once

#include "FakeHall.h"
#include "FrameBuilder.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/MainForm.h"
#include "platform/Program.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class DispatchTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        mj::SetProgramFolder(tmp.path());
        hall = std::make_unique<mjtest::FakeHall>(HallTitle);
        ASSERT_TRUE(hall->Listening());
        w = &mjtest::OpenTableWindow(HallTitle, ScreenSize());
        mjtest::LeaveTimersToTest(*w);
    }

    // The screen the table window opens on; empty: its design size.
    virtual QSize ScreenSize() const { return {}; }

    // The hall's messages since the test began, once they have all arrived.
    QStringList hallLog() { return hall->SettledLog(); }

    // Runs the frame through the dispatcher; true when that ended the program.
    bool endsProgram(const mjtest::ServerFrame& frame)
    {
        return mjtest::EndsProgram([&] { mjtest::Dispatch(frame); });
    }

    const QString HallTitle = QStringLiteral("分派测试大厅");
    QTemporaryDir tmp;
    std::unique_ptr<mjtest::FakeHall> hall;
    mj::MainForm* w = nullptr;
};

// A dispatcher table (DispatchTable or a fixture built on it) opened on a
// screen of 800 x 600 (parameter true) or 1024 x 768.
template <class Table>
class OnScreen : public Table, public ::testing::WithParamInterface<bool> {
protected:
    bool small() const { return this->GetParam(); }
    QSize ScreenSize() const override { return small() ? QSize(800, 600) : QSize(1024, 768); }
};
