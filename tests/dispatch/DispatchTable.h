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
        w = &mjtest::OpenTableWindow(HallTitle);
        mjtest::LeaveTimersToTest(*w);
    }

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
