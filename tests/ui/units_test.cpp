#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/WindowUnit.h"

namespace {

// Records the hooks it sees; answers `true` for the ids and messages it owns.
class RecordingUnit : public WindowUnit {
public:
    RecordingUnit(std::string name, std::vector<std::string>& log, int ownId) : name_(std::move(name)), log_(log), ownId_(ownId) {}
    void OnCreate(HWND) override { log_.push_back(name_ + ":create"); }
    void OnDestroy(HWND) override { log_.push_back(name_ + ":destroy"); }
    bool OnCommand(HWND, int id, int, HWND) override {
        log_.push_back(name_ + ":command " + std::to_string(id));
        return id == ownId_;
    }
    bool OnTimer(HWND, UINT_PTR id) override { return static_cast<int>(id) == ownId_; }
    bool OnMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (static_cast<int>(msg) != ownId_) return false;
        result = ownId_ * 10;
        return true;
    }
    bool OnPaint(HWND, HDC, const RECT&) override { return paints; }
    void OnModeChanged(HWND, int oldMode, int newMode) override {
        log_.push_back(name_ + ":mode " + std::to_string(oldMode) + ">" + std::to_string(newMode));
    }
    void OnLanguageChanged(HWND) override { log_.push_back(name_ + ":language"); }
    void OnDrivesChanged(HWND) override { log_.push_back(name_ + ":drives"); }
    bool paints = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
    int ownId_;
};

TEST(WindowUnits, DispatchInOrderStopsAtTheOwnerAndDestroysInReverse) {
    ClearWindowUnits();
    std::vector<std::string> log;
    RecordingUnit a("a", log, 1), b("b", log, 2);
    RegisterWindowUnit(a);
    RegisterWindowUnit(b);
    RegisterWindowUnit(a);  // kept once

    UnitsCreate(nullptr);
    EXPECT_TRUE(UnitsCommand(nullptr, 1, 0, nullptr));   // a owns 1: b is not asked
    EXPECT_TRUE(UnitsCommand(nullptr, 2, 0, nullptr));
    EXPECT_FALSE(UnitsCommand(nullptr, 3, 0, nullptr));  // nobody's: the window handles it
    EXPECT_TRUE(UnitsTimer(nullptr, 2));
    EXPECT_FALSE(UnitsTimer(nullptr, 9));
    LRESULT result = 0;
    EXPECT_TRUE(UnitsMessage(nullptr, 2, 0, 0, result));
    EXPECT_EQ(result, 20);
    EXPECT_FALSE(UnitsPaint(nullptr, nullptr, RECT{}));
    b.paints = true;
    EXPECT_TRUE(UnitsPaint(nullptr, nullptr, RECT{}));
    UnitsModeChanged(nullptr, 0, 2);
    UnitsLanguageChanged(nullptr);
    UnitsDrivesChanged(nullptr);
    UnitsDestroy(nullptr);

    const std::vector<std::string> expected{
        "a:create",   "b:create",   "a:command 1", "a:command 2", "b:command 2", "a:command 3",
        "b:command 3", "a:mode 0>2", "b:mode 0>2", "a:language",  "b:language",  "a:drives",
        "b:drives",    "b:destroy",   "a:destroy"};
    EXPECT_EQ(log, expected);
    ClearWindowUnits();
}

}  // namespace
