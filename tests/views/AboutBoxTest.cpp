#include <gtest/gtest.h>
#include <optional>
#include "base/ScopedOverride.h"
#include "toolkit/Dpi.h"
#include "views/AboutLogic.h"
#include "views/KbxViewAbout.h"
#include "views/ViewsTestSupport.h"

using namespace vtx;

namespace {

// Drives a box that ShowAboutBox holds in its own loop: a thread timer runs
// the steps one by one while the box waits, each step repeated until it
// reports done.
class BoxScript {
public:
    using TStep = std::function<bool(TfrmAbout& box)>;
    explicit BoxScript(std::vector<TStep> steps) : FSteps(std::move(steps)) {
        Current() = this;
        FTimer = ::SetTimer(nullptr, 0, 20, Tick);
        FStart = ::GetTickCount();
    }
    ~BoxScript() {
        ::KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    bool Finished() const noexcept { return FNext >= FSteps.size(); }
    bool TimedOut = false;
    bool MainEverEnabled = false;
    std::vector<int> AlphaSeen;

private:
    static BoxScript*& Current() {
        static BoxScript* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept {
        BoxScript* self = Current();
        if (!self) return;
        auto* box = dynamic_cast<TfrmAbout*>(TControl::FromHandle(::FindWindowW(L"TfrmAbout", nullptr)));
        if (!box || !::IsWindowVisible(box->Handle())) return;
        self->AlphaSeen.push_back(box->AlphaBlendValue());
        if (::IsWindowEnabled(vtest::MainForm().Handle())) self->MainEverEnabled = true;
        if (::GetTickCount() - self->FStart > 10000) {
            // Never leave a test hanging in the box's loop.
            self->TimedOut = true;
            box->ModalResult = 2;
            return;
        }
        if (self->Finished()) return;
        try {
            if (self->FSteps[self->FNext](*box)) ++self->FNext;
        } catch (...) {
            self->TimedOut = true;
            box->ModalResult = 2;
        }
    }
    std::vector<TStep> FSteps;
    size_t FNext = 0;
    UINT_PTR FTimer = 0;
    DWORD FStart = 0;
};

HWND FocusOf(TfrmAbout& box) {
    HWND focus = ::GetFocus();
    return focus && ::GetAncestor(focus, GA_ROOT) == box.Handle() ? focus : box.Handle();
}

BoxScript::TStep Type(const std::wstring& text) {
    return [text](TfrmAbout& box) {
        for (wchar_t c : text) ::PostMessageW(FocusOf(box), WM_CHAR, c, 1);
        return true;
    };
}

BoxScript::TStep Expect(std::function<void(TfrmAbout&)> check) {
    return [check](TfrmAbout& box) {
        check(box);
        return true;
    };
}

struct AboutBox : ::testing::Test {
    void SetUp() override {
        vtest::MainForm();
        Application().SetTitle(L"Vantrel");
    }
    void TearDown() override {
        Application().SetTitle(L"Vantrel");
        EXPECT_TRUE(::IsWindowEnabled(vtest::MainForm().Handle()));
        EXPECT_EQ(::FindWindowW(L"TfrmAbout", nullptr), nullptr);
    }
    vtest::ShellRecorder shell;
};

int FontPixelHeight(const TLabel& label) {
    LOGFONTW lf{};
    ::GetObjectW(label.Font(), sizeof lf, &lf);
    return lf.lfHeight;
}

} // namespace

TEST_F(AboutBox, LayoutTextsAndLinks) {
    TfrmAbout box;
    box.FillIn(2002, 2031, 0x00000006, 0x000000E1);
    EXPECT_EQ(box.Caption(), L"About");
    EXPECT_EQ(box.ClientWidth(), box.Scale(342));
    EXPECT_EQ(box.ClientHeight(), box.Scale(202));
    EXPECT_TRUE(::GetWindowLongW(box.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::GetWindowLongW(box.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(box.Panel2->Height(), box.Scale(32));
    EXPECT_EQ(box.HostPanel->Height(), box.Scale(170));
    EXPECT_EQ(box.CurrentPanel, box.AboutPanel.get());
    EXPECT_EQ(box.AboutPanel->Parent(), box.HostPanel.get());
    EXPECT_EQ(box.OKButton->Text(), L"&Ok");

    EXPECT_EQ(box.ProductName->Caption(), L"Vantrel");
    EXPECT_EQ(box.Version->Caption(), L"Version 0.6  Build 225");
    // The version sits right of the title, bottoms lined up.
    RECT name = box.ProductName->BoundsRect(), version = box.Version->BoundsRect();
    EXPECT_EQ(version.left, name.right + box.Scale(8));
    EXPECT_EQ(version.bottom, name.bottom);

    EXPECT_EQ(box.UrlAppName, L"vantrel");
    EXPECT_EQ(box.lblEmail->Caption(), L"support+vantrel@quelmar.example");
    EXPECT_EQ(box.lblEmail->Hint, L"mailto:support+vantrel@quelmar.example");
    EXPECT_EQ(box.lblEmail->BoundsRect().right, box.Scale(332) - 0) << "right edge kept";
    EXPECT_EQ(box.lblSite->Caption(), L"www.quelmar.example");
    EXPECT_EQ(box.lblSite->Hint, L"https://www.quelmar.example/");
    EXPECT_EQ(box.lblSoftware->Caption(), L"More freeware and updates");
    EXPECT_EQ(box.lblSoftware->Hint, L"https://www.quelmar.example/software");
    EXPECT_EQ(box.CopyrightLabel->Caption().rfind(L"Copyright \u00A9 2002-2031", 0), 0u);
    EXPECT_NE(box.Copyright->Caption().find(L"Quelmar"), std::wstring::npos);
    EXPECT_EQ(box.EasterEggsForm->Label1->Caption(), L"the Vantrel developers");
    EXPECT_EQ(box.EasterEggsForm->UpdateUrl, L"https://www.quelmar.example/software/download/vantrel.zip");

    vtest::MouseClick(box.lblSite->Handle());
    EXPECT_EQ(shell.Targets, std::vector<std::wstring>{L"https://www.quelmar.example/"});
}

int FontPixelHeight(HFONT font) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

void SendDpiChange(TForm& form, UINT from, UINT to) {
    RECT r{};
    ::GetWindowRect(form.Handle(), &r);
    RECT suggested{r.left, r.top, r.left + ::MulDiv(r.right - r.left, static_cast<int>(to), static_cast<int>(from)),
                   r.top + ::MulDiv(r.bottom - r.top, static_cast<int>(to), static_cast<int>(from))};
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
}

// The box and the information window's panels follow a move to 150%.
TEST_F(AboutBox, AMoveToAnotherScaleScalesTheBoxAndItsPanels) {
    TfrmAbout box;
    box.FillIn(2002, 2031, 0x00000006, 0x000000E1);
    const int panel2 = box.Panel2->Height(), title = FontPixelHeight(*box.ProductName);
    const RECT email = box.lblEmail->BoundsRect();
    TEasterEggsForm& eggs = *box.EasterEggsForm;
    const int memoFont = FontPixelHeight(eggs.UrlMemo->Font());
    const int creditFont = FontPixelHeight(*eggs.Label1);
    const int downloadFont = FontPixelHeight(*eggs.DownloadNowLabel);
    auto show = [&box](const wchar_t* key) {
        box.EasterEggsKey = key;
        box.ShowPanelForKey();
    };
    // One panel set aside, one in the box, one still on its sheet.
    show(L"URL");
    show(L"ZORICK");
    ASSERT_EQ(box.CurrentPanel, eggs.ZorickPanel.get());

    SendDpiChange(box, 96, 144);
    EXPECT_EQ(box.Dpi(), 144u);
    EXPECT_NEAR(box.Panel2->Height(), panel2 * 3 / 2, 1);
    EXPECT_NEAR(FontPixelHeight(*eggs.Label1), creditFont * 3 / 2, 1);

    for (const wchar_t* key : {L"URL", L"UPDATE"}) {
        show(key);
        EXPECT_EQ(box.CurrentPanel->Width(), box.HostPanel->ClientWidth()) << key;
    }
    EXPECT_NEAR(FontPixelHeight(eggs.UrlMemo->Font()), memoFont * 3 / 2, 1);
    EXPECT_NEAR(FontPixelHeight(*eggs.DownloadNowLabel), downloadFont * 3 / 2, 1);
    wchar_t digit = L'1';  // brings the about panel back
    box.FormKeyPress(&box, digit);
    ASSERT_EQ(box.CurrentPanel, box.AboutPanel.get());
    EXPECT_NEAR(FontPixelHeight(*box.ProductName), title * 3 / 2, 1);
    RECT scaledEmail = box.lblEmail->BoundsRect();
    EXPECT_NEAR(scaledEmail.right, email.right * 3 / 2, 2);
    EXPECT_NEAR(scaledEmail.top, email.top * 3 / 2, 2);
}

TEST_F(AboutBox, TitleSizeIs18PointsUpToTenCharactersElse14) {
    const struct {
        const wchar_t* Title;
        int Points;
        const wchar_t* UrlName;
    } cases[] = {{L"Tarvenmoss", 18, L"tarvenmoss"}, {L"Bob's Tools", 14, L"bobstools"}};
    for (const auto& c : cases) {
        Application().SetTitle(c.Title);
        TfrmAbout box;
        box.FillIn(2002, 2031, 0x00010002, 0x00030004);
        EXPECT_EQ(box.ProductName->FontSpec().Size(), c.Points) << c.Title;
        EXPECT_EQ(FontPixelHeight(*box.ProductName), -::MulDiv(c.Points, static_cast<int>(box.Dpi()), 72) - 0)
            << c.Title;
        EXPECT_TRUE(box.ProductName->FontStyle() & fsBold);
        EXPECT_EQ(box.UrlAppName, c.UrlName);
        EXPECT_EQ(box.Version->Caption(), L"Version 1.2  Build 4");
    }
}

TEST_F(AboutBox, TypedNamesSwapPanelsAndOtherCharactersBringTheAboutPanelBack) {
    TfrmAbout box;
    box.FillIn(2002, 2031, 6, 225);
    TEasterEggsForm& eggs = *box.EasterEggsForm;
    auto type = [&](const std::wstring& text) {
        for (wchar_t c : text) {
            wchar_t key = c;
            box.FormKeyPress(&box, key);
        }
    };
    type(L"ur");
    EXPECT_EQ(box.CurrentPanel, box.AboutPanel.get());
    EXPECT_EQ(box.EasterEggsKey, L"UR");
    type(L"l");
    EXPECT_EQ(box.CurrentPanel, eggs.UrlPanel.get());
    EXPECT_EQ(eggs.UrlPanel->Parent(), box.HostPanel.get());
    EXPECT_EQ(box.AboutPanel->Parent(), nullptr);
    EXPECT_TRUE(box.EasterEggsKey.empty());
    // It fills the host area.
    EXPECT_EQ(eggs.UrlPanel->Width(), box.HostPanel->ClientWidth());
    EXPECT_EQ(eggs.UrlPanel->Height(), box.HostPanel->ClientHeight());

    type(L"ZORICK");
    EXPECT_EQ(box.CurrentPanel, eggs.ZorickPanel.get());
    EXPECT_EQ(eggs.UrlPanel->Parent(), nullptr);

    // Stray letters first: no match until a reset.
    type(L"xupdate");
    EXPECT_EQ(box.CurrentPanel, eggs.ZorickPanel.get());
    EXPECT_EQ(box.EasterEggsKey, L"XUPDATE");
    wchar_t digit = L'7';
    box.FormKeyPress(&box, digit);
    EXPECT_EQ(digit, L'7');
    EXPECT_EQ(box.CurrentPanel, box.AboutPanel.get());
    EXPECT_EQ(box.AboutPanel->Parent(), box.HostPanel.get());
    EXPECT_EQ(eggs.ZorickPanel->Parent(), nullptr);
    type(L"Update");
    EXPECT_EQ(box.CurrentPanel, eggs.UpdatePanel.get());
    // Freed with a borrowed panel on show: it goes back and dies with its owner.
}

TEST_F(AboutBox, ShowsFadedInVersionLineAndUrlPanelThenOkFadesOut) {
    std::wstring version;
    bool panelBeforeThird = false, urlShown = false, aboutBack = false;
    BoxScript script({
        Expect([&](TfrmAbout& box) { version = box.Version->Caption(); }),
        Type(L"ur"),
        Expect([&](TfrmAbout& box) { panelBeforeThird = box.CurrentPanel != box.AboutPanel.get(); }),
        Type(L"l"),
        Expect([&](TfrmAbout& box) {
            urlShown = box.CurrentPanel == box.EasterEggsForm->UrlPanel.get() &&
                       ::IsWindowVisible(box.EasterEggsForm->UrlPanel->Handle());
        }),
        Type(L"5"),
        Expect([&](TfrmAbout& box) { aboutBack = box.CurrentPanel == box.AboutPanel.get(); }),
        [](TfrmAbout& box) {
            ::SendMessageW(box.OKButton->Handle(), BM_CLICK, 0, 0);
            return true;
        },
    });
    ShowAboutBox(2002);
    EXPECT_FALSE(script.TimedOut);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(version, L"Version 0.6  Build 225");
    EXPECT_FALSE(panelBeforeThird);
    EXPECT_TRUE(urlShown);
    EXPECT_TRUE(aboutBack);
    ASSERT_FALSE(script.AlphaSeen.empty());
    EXPECT_FALSE(script.MainEverEnabled) << "the main window took input while the box was up";
    // Fully faded in by the time messages are handled.
    EXPECT_EQ(script.AlphaSeen.front(), 255);
}

TEST_F(AboutBox, EnterPressesOkAndTheOpenBoxWaitsWithoutSpinning) {
    // Processor time of this process against the clock while the box is up.
    auto cpuMs = [] {
        FILETIME created, exited, kernel, user;
        ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ms = [](const FILETIME& t) {
            return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000ull;
        };
        return ms(kernel) + ms(user);
    };
    unsigned long long cpuStart = 0, cpuEnd = 0;
    DWORD wallStart = 0, wallEnd = 0;
    bool closedByEnter = false;
    BoxScript script({
        [&](TfrmAbout&) {
            cpuStart = cpuMs();
            wallStart = ::GetTickCount();
            return true;
        },
        [&](TfrmAbout&) {
            if (::GetTickCount() - wallStart < 800) return false;
            cpuEnd = cpuMs();
            wallEnd = ::GetTickCount();
            return true;
        },
        [&](TfrmAbout& box) {
            box.OKButton->OnClick = [&](TComponent*) { closedByEnter = true; };
            ::PostMessageW(FocusOf(box), WM_KEYDOWN, VK_RETURN, 1);
            return true;
        },
    });
    ShowAboutBox(2002);
    EXPECT_FALSE(script.TimedOut);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(closedByEnter);
    ASSERT_GT(wallEnd, wallStart);
    // Waiting costs a few per cent here; a loop that polls without waiting
    // (it also keeps the server busy) takes about half of the interval.
    EXPECT_LT(cpuEnd - cpuStart, (wallEnd - wallStart) / 5) << "the box's loop keeps the processor busy";
}

// The box opens on the monitor of the main window, wherever that is: Xvfb
// has one monitor, so a second one, right of it, is injected for the main window.
TEST_F(AboutBox, OpensCentredOnTheWorkAreaOfTheMainWindowsMonitor) {
    HWND main = vtest::MainForm().Handle();
    MONITORINFO mi{sizeof mi};
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &mi));
    const RECT second{mi.rcMonitor.right, 40, mi.rcMonitor.right + 1600, 1240};
    std::vector<HWND> asked;
    for (bool injected : {false, true}) {
        SCOPED_TRACE(injected ? "second monitor" : "the display's monitor");
        std::optional<TScopedOverride<TMonitorWorkAreaSeam>> seam;
        if (injected)
            seam.emplace(MonitorWorkAreaSeam(), [&](HWND wnd) {
                asked.push_back(wnd);
                return second;
            });
        const RECT work = injected ? second : mi.rcWork;
        RECT box{};
        BoxScript script({[&](TfrmAbout& about) {
            ::GetWindowRect(about.Handle(), &box);
            ::SendMessageW(about.OKButton->Handle(), BM_CLICK, 0, 0);
            return true;
        }});
        ShowAboutBox(2002);
        EXPECT_FALSE(script.TimedOut);
        ASSERT_TRUE(script.Finished());
        EXPECT_NEAR((box.left + box.right) / 2, (work.left + work.right) / 2, 1);
        EXPECT_NEAR((box.top + box.bottom) / 2, (work.top + work.bottom) / 2, 1);
    }
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), main) << "the monitor of another window";
}

TEST_F(AboutBox, AltF4ClosesIt) {
    BoxScript script({[](TfrmAbout& box) {
        ::PostMessageW(box.Handle(), WM_SYSKEYDOWN, VK_F4, (1 << 29) | 1);
        return true;
    }});
    ShowAboutBox(2002);
    EXPECT_FALSE(script.TimedOut);
    EXPECT_TRUE(script.Finished());
}

TEST_F(AboutBox, LosingActivationClosesIt) {
    TForm other(L"TAboutOtherForm", TBorderStyle::bsSizeable, 700, 300, 200, 150);
    other.CenterOnShow = false;
    BoxScript script({[&](TfrmAbout&) {
        other.Show();
        return true;
    }});
    ShowAboutBox(2002);
    EXPECT_FALSE(script.TimedOut);
    EXPECT_TRUE(script.Finished());
}

TEST_F(AboutBox, FreedWithABorrowedPanelOnShowItLeavesNoWindowOfEitherForm) {
    std::vector<HWND> windows;
    {
        TfrmAbout box;
        box.FillIn(2002, 2031, 6, 225);
        TEasterEggsForm& eggs = *box.EasterEggsForm;
        for (wchar_t c : std::wstring(L"url")) {
            wchar_t key = c;
            box.FormKeyPress(&box, key);
        }
        ASSERT_EQ(box.CurrentPanel, eggs.UrlPanel.get());
        // The about panel sits aside, nobody's child; the borrowed one in the host.
        ASSERT_EQ(box.AboutPanel->Parent(), nullptr);
        windows = {box.Handle(),         box.HostPanel->Handle(), box.AboutPanel->Handle(),
                   box.lblSite->Handle(), eggs.Handle(),           eggs.UrlPanel->Handle(),
                   eggs.UrlMemo->Handle(), eggs.PageControl1->Handle()};
        for (HWND wnd : windows) ASSERT_TRUE(::IsWindow(wnd));
    }
    for (HWND wnd : windows) {
        EXPECT_FALSE(::IsWindow(wnd));
        EXPECT_EQ(TControl::FromHandle(wnd), nullptr);
    }
}
