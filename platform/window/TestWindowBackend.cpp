#include "platform/window/TestWindowBackend.h"

#include "platform/gl/GLRecorder.h"

namespace quarn {

namespace {

TestWindowScript* g_script = nullptr;

class TestWindowBackend final : public WindowBackend {
  public:
    explicit TestWindowBackend(TestWindowScript& s) : s_(s) {}

    const char* Name() const override { return "test"; }
    bool HasDisplay() const override { return false; }

    bool RegisterWindowClass() override { return Step(WindowStep::RegisterClass, "register"); }
    bool ChangeDisplayMode(int, int, int) override {
        return Step(WindowStep::DisplayMode, "display-mode") && s_.displayModeAvailable;
    }
    void RestoreDisplayMode() override { s_.steps.push_back("restore-display-mode"); }
    bool CreateWindow(const WindowRequest& r) override {
        if (!Step(WindowStep::CreateWindow, "create-window")) return false;
        s_.caption = r.title;
        window_ = true;
        return true;
    }
    bool GetDeviceContext() override { return Step(WindowStep::DeviceContext, "get-dc"); }
    bool ChoosePixelFormat(int, int) override {
        return Step(WindowStep::ChoosePixelFormat, "choose-pixel-format");
    }
    bool SetPixelFormat() override { return Step(WindowStep::SetPixelFormat, "set-pixel-format"); }
    bool CreateContext() override { return Step(WindowStep::CreateContext, "create-context"); }
    bool MakeCurrent() override { return Step(WindowStep::MakeCurrent, "make-current"); }
    bool LoadGL(std::string&) override {
        s_.steps.push_back("load-gl");
        gl::GLRecorder::Install();
        loaded_ = true;
        return true;
    }
    void StartTimer() override { s_.steps.push_back("start-timer"); }
    void ShowWindow() override { s_.steps.push_back("show-window"); }

    bool ReleaseCurrent() override {
        if (loaded_) gl::GLRecorder::Uninstall();
        loaded_ = false;
        return Step(WindowStep::ReleaseCurrent, "release-current");
    }
    bool DeleteContext() override { return Step(WindowStep::DeleteContext, "delete-context"); }
    bool ReleaseDeviceContext() override {
        return Step(WindowStep::ReleaseDeviceContext, "release-dc");
    }
    bool DestroyWindow() override {
        const bool had = window_; // as the real backends: no window, nothing to destroy
        window_ = false;
        return Step(WindowStep::DestroyWindow, "destroy-window") && had;
    }
    bool UnregisterWindowClass() override {
        return Step(WindowStep::UnregisterClass, "unregister");
    }

    bool PeekMessage(WindowMessage& out) override {
        if (s_.messages.empty() && s_.onIdle) s_.onIdle(s_);
        if (s_.messages.empty()) return false;
        out = s_.messages.front();
        s_.messages.pop_front();
        return true;
    }
    void PostMessage(const WindowMessage& m) override { s_.messages.push_back(m); }

    void SwapBuffers() override { ++s_.swaps; }
    void SetCaption(const std::string& c) override { s_.caption = c; }
    std::string Caption() const override { return s_.caption; }
    void ClientToScreen(int&, int&) const override {} // the window sits at the screen origin
    void SetCursorPos(int x, int y) override {
        s_.cursorX = x;
        s_.cursorY = y;
        s_.messages.push_back(WindowMessage{WM_MOUSEMOVE, 0, MakeLParam(x, y)});
    }
    void GetCursorPos(int& x, int& y) const override {
        x = s_.cursorX;
        y = s_.cursorY;
    }
    int ShowCursor(bool show) override { return s_.cursorCount += show ? 1 : -1; }
    void SetCapture() override { s_.captured = true; }
    void ReleaseCapture() override { s_.captured = false; }
    bool HasCapture() const override { return s_.captured; }
    uint32_t GetTickCount() override {
        const uint32_t now = s_.ticks;
        s_.ticks += s_.ticksPerRead;
        return now;
    }
    uint64_t PerformanceCounter() override { return s_.ticks * 1000ull; }
    uint64_t PerformanceFrequency() override { return 1000000ull; }
    void ShowMessageBox(const std::string& caption, const std::string& text) override {
        s_.messageBoxes.emplace_back(caption, text);
    }
    bool ReadFrontBuffer(int, int, int width, int height, std::vector<uint8_t>& rgb) override {
        if (width <= 0 || height <= 0) return false;
        rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        return true;
    }
    void* WindowHandle() const override { return window_ ? &s_ : nullptr; }
    void* DeviceContextHandle() const override { return window_ ? &s_ : nullptr; }
    void* RenderingContextHandle() const override { return loaded_ ? &s_ : nullptr; }

  private:
    bool Step(WindowStep step, const char* name) {
        s_.steps.push_back(name);
        return s_.failStep != step;
    }

    TestWindowScript& s_;
    bool window_ = false;
    bool loaded_ = false;
};

std::unique_ptr<WindowBackend> MakeTestBackend() {
    return std::make_unique<TestWindowBackend>(*g_script);
}

} // namespace

void UseTestWindowBackend(TestWindowScript* script) {
    g_script = script;
    SetWindowBackendFactory(script ? &MakeTestBackend : nullptr);
}

} // namespace quarn
