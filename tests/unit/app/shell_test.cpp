// The application shell as a model: the remove command, the writer, the
// window lifecycle.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "editor/frm_edit.h"
#include "placefile/frm_pfinfo.h"
#include "platform/sim/simulator.h"
#include "sim_fixture.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

struct Shell : SimTest {
    void SetUp() override { boot(); }
    std::string file() {
        std::ifstream f(dir + "/korvel.txt", std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
};

}  // namespace

TEST_F(Shell, RemoveTakesOnlyTheCurrentTracksEtaLines) {
    auto& lines = app().frmMain().placefile.items;
    lines.insert(lines.end(), {" ;eta#1", "Object: 35, -97 ;eta#1", "End: ;eta#10",
                               "Text:  0, 0, 1, x ;eta#11", "Polygon: ", "End: ;eta#1 x"});
    app().frmMain().tracker.text = "1";
    app().frmMain().remove.click();
    std::vector<std::string> want = {"Title: Tessaly",
                                     "RefreshSeconds: 1",
                                     "Threshold: 999",
                                     "Font: 1, 12, 1, Segoe UI",
                                     "",
                                     "IconFile: 1, 12, 12, 5, 5, stormtrack.png",
                                     "",
                                     "End: ;eta#10",
                                     "Text:  0, 0, 1, x ;eta#11",
                                     "Polygon: ",
                                     "End: ;eta#1 x"};
    EXPECT_EQ(lines, want);
    app().frmMain().tracker.text = "10";
    app().frmMain().remove_eta();
    EXPECT_EQ(lines.size(), want.size() - 1);
    EXPECT_EQ(lines[7], "Text:  0, 0, 1, x ;eta#11");
}

TEST_F(Shell, WriterReplacesTheFileWholeInTheCodePage) {
    EXPECT_TRUE(
        app().write_list_to_file("C:\\Tessaly\\korvel.txt", {"a", "Text: 1, 2, 1, \xC2\xA4"}));
    EXPECT_EQ(file(), "a\r\nText: 1, 2, 1, \xA4\r\n");
    EXPECT_TRUE(app().write_list_to_file("C:\\Tessaly\\korvel.txt", {}));
    EXPECT_EQ(file(), "");
    // No temporary file is left beside the placefile.
    for (auto& e : fs::directory_iterator(dir))
        EXPECT_TRUE(e.path().filename() == "korvel.txt" || e.path().filename() == "stormtrack.png")
            << e.path();
}

TEST_F(Shell, FailedWriteKeepsBufferAndFileAndReportsOnce) {
    std::string before = file();
    sim->platform().placefile_readonly = true;
    out.str("");
    app().frmMain().placefile.items.push_back("Color: 255 255 255, 100");
    EXPECT_FALSE(app().write_list_to_file(app().frmMain().placefile_path(),
                                          app().frmMain().placefile.items));
    EXPECT_EQ(out.str(), "msgbox \"Tessaly\" \"Error: BuildPF Module : Permission denied\"\n");
    EXPECT_EQ(file(), before);
    EXPECT_EQ(app().frmMain().placefile.items.size(), 8u);
    sim->platform().placefile_readonly = false;
    EXPECT_TRUE(app().write_list_to_file(app().frmMain().placefile_path(),
                                         app().frmMain().placefile.items));
    EXPECT_NE(file().find("Color: 255 255 255, 100\r\n"), std::string::npos);
}

TEST_F(Shell, EditorsUnloadOnCloseOtherWindowsOnlyHide) {
    app().frmEdit().show();
    app().frmEdit().close_request();
    EXPECT_FALSE(app().is_loaded("frmEdit"));
    // Reading a field loads it again, running its load step.
    EXPECT_EQ(app().frmEdit().hkselect.text, "Q");
    EXPECT_TRUE(app().is_loaded("frmEdit"));
    app().frmPFinfo().show();
    app().frmPFinfo().close_request();
    EXPECT_TRUE(app().is_loaded("frmPFinfo"));
    EXPECT_FALSE(app().frmPFinfo().visible);
}

TEST_F(Shell, UserGuideOpensBesideTheProgramOrSaysWhereItIsMissing) {
    const std::string guide = "C:\\Tessaly\\README.txt";
    out.str("");
    app().frmMain().mnu_help_guide.click();
    EXPECT_EQ(out.str(), "msgbox \"User Guide\" " +
                             sim_quote("The user guide is missing:\r" + guide +
                                       "\r\rIt is README.txt from Tessaly's zip or installer; "
                                       "put it back beside Tessaly.exe.") +
                             "\n");
    std::ofstream(dir + "/README.txt", std::ios::binary) << "Tessaly user guide\r\n";
    out.str("");
    app().frmMain().mnu_help_guide.click();
    EXPECT_EQ(out.str(), "open " + sim_quote(guide) + "\n");
}

TEST(PFinfo, ThousandsSeparators) {
    EXPECT_EQ(FrmPFinfo::group_thousands(0, ","), "0");
    EXPECT_EQ(FrmPFinfo::group_thousands(999, ","), "999");
    EXPECT_EQ(FrmPFinfo::group_thousands(1000, ","), "1,000");
    EXPECT_EQ(FrmPFinfo::group_thousands(1234567, "."), "1.234.567");
}

TEST(EditorColour, ComponentsOfTheDialogValue) {
    EXPECT_EQ(FrmEdit::colour_text(10 + 20 * 256 + 30 * 65536), "10, 20, 30,");
    EXPECT_EQ(FrmEdit::colour_text(255), "255, 0, 0,");
    EXPECT_EQ(FrmEdit::colour_text(0xFFFFFF), "255, 255, 255,");
}

#include "eta/frm_custom_eta.h"

TEST_F(Shell, OnlyTheLeftButtonDragsAnEtaWindow) {
    out.str("");
    app().frmCustomETA().mouse_down(2);
    EXPECT_EQ(out.str(), "");
    app().frmCustomETA().mouse_down(1);
    EXPECT_EQ(out.str(), "drag frmCustomETA\n");
}
