#include "settings/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace cx {
namespace {

TEST(IniFile, ReadsEveryLineEndAndWritesCrlf) {
    tIniFile ini = tIniFile::FromText("[A]\r\nx=1\ny=2\rz=3");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    EXPECT_EQ(ini.ReadString("A", "z", ""), "3");
    EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\ny=2\r\nz=3\r\n");
    EXPECT_EQ(tIniFile::FromText("").Text(), "");
}

TEST(IniFile, MatchesNamesWithoutCaseAndTakesValueAsItStands) {
    tIniFile ini = tIniFile::FromText("[Misc]\r\n  LocalPath = a=b \r\nEmpty=\r\n;Note=x\r\n");
    EXPECT_TRUE(ini.SectionExists("MISC"));
    EXPECT_TRUE(ini.ValueExists("misc", "localpath"));
    EXPECT_EQ(ini.ReadString("mIsC", "LOCALPATH", "?"), " a=b ");
    EXPECT_EQ(ini.ReadString("Misc", "Empty", "?"), "");
    EXPECT_EQ(ini.ReadString("Misc", "Note", "?"), "?") << "a comment is not a key";
    EXPECT_EQ(ini.ReadString("Other", "LocalPath", "?"), "?");
    EXPECT_EQ(ini.ReadSection("misc"), (std::vector<std::string>{"LocalPath", "Empty"}));
}

TEST(IniFile, FirstSectionAndFirstKeyWin) {
    tIniFile ini = tIniFile::FromText("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    EXPECT_FALSE(ini.ValueExists("A", "j"));
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"A"});
    ini.DeleteKey("A", "K");
    EXPECT_FALSE(ini.ValueExists("A", "k")) << "every line of the key goes";
    EXPECT_EQ(ini.Text(), "[A]\r\n[a]\r\nk=3\r\nj=4\r\n");
}

TEST(IniFile, WritingKeepsEveryOtherLineAndAppendsWhereItBelongs) {
    const std::string before =
        "; settings\r\n[OrderSpeedFan]\r\nT1=3\r\n\r\n[Misc]\r\nLeft=10\r\nx\r\n\r\n"
        "[Tail]\r\nq=1\r\n";
    tIniFile ini = tIniFile::FromText(before);
    ini.WriteInteger("misc", "Left", 20);  // replaced where it stands, spelling kept
    ini.WriteString("Misc", "Top", "5");   // appended after the last line that is not blank
    ini.WriteBool("New", "Flag", true);    // a new section at the end
    ini.WriteString("tail", "r", "2");
    EXPECT_EQ(ini.Text(),
              "; settings\r\n[OrderSpeedFan]\r\nT1=3\r\n\r\n[Misc]\r\nLeft=20\r\nx\r\nTop=5\r\n"
              "\r\n[Tail]\r\nq=1\r\nr=2\r\n\r\n[New]\r\nFlag=1\r\n");

    tIniFile empty;
    empty.WriteString("S", "k", "v");
    EXPECT_EQ(empty.Text(), "[S]\r\nk=v\r\n");
}

TEST(IniFile, ValueWithLineBreaksCannotAddKeys) {
    tIniFile ini;
    ini.WriteString("FTP", "Host", "evil\r\n[Debug]\nDebug=1");
    tIniFile again = tIniFile::FromText(ini.Text());
    EXPECT_FALSE(again.SectionExists("Debug"));
    EXPECT_EQ(again.ReadString("FTP", "Host", ""), "evil  [Debug] Debug=1");
}

TEST(IniFile, Integers) {
    struct tCase {
        const char* text;
        int64_t expected;
    };
    const tCase cases[] = {
        {"42", 42},
        {"-17", -17},
        {"+5", 5},
        {" 7 ", 7},
        {"0x1F", 31},
        {"0XfF", 255},
        {"$ff", 255},
        {"-$10", -16},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", -99},
        {"", -99},
        {"abc", -99},
        {"12abc", -99},
        {"1.5", -99},
        {"0x", -99},
        {"$", -99},
        {"--1", -99},
    };
    for (const tCase& c : cases) {
        tIniFile ini = tIniFile::FromText(std::string("[S]\nk=") + c.text);
        EXPECT_EQ(ini.ReadInteger("S", "k", -99), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(tIniFile().ReadInteger("S", "k", 3), 3);
}

TEST(IniFile, Booleans) {
    struct tCase {
        const char* text;
        bool def;
        bool expected;
    };
    const tCase cases[] = {
        {"1", false, true},  {"0", true, false},    {"5", false, true},   {"-1", false, true},
        {"$0", true, false}, {"yes", false, false}, {"true", true, true},
    };
    for (const tCase& c : cases) {
        tIniFile ini = tIniFile::FromText(std::string("[S]\nk=") + c.text);
        EXPECT_EQ(ini.ReadBool("S", "k", c.def), c.expected) << c.text;
    }
    tIniFile ini;
    ini.WriteBool("S", "on", true);
    ini.WriteBool("S", "off", false);
    EXPECT_EQ(ini.Text(), "[S]\r\non=1\r\noff=0\r\n");
}

TEST(IniFile, FloatsUseTheCommaOnly) {
    struct tCase {
        const char* text;
        double expected;
    };
    const tCase cases[] = {
        {"2,5", 2.5},   {"0,25", 0.25}, {"6", 6},     {"-1,5", -1.5}, {",5", 0.5},   {"3,", 3},
        {"1,5e2", 150}, {"2E-1", 0.2},  {"0.25", -7}, {"", -7},       {"1,2,3", -7}, {"1e999", -7},
        {"nan", -7},    {"inf", -7},    {"1e", -7},   {",", -7},      {"1 000", -7},
    };
    for (const tCase& c : cases) {
        tIniFile ini = tIniFile::FromText(std::string("[S]\nk=") + c.text);
        EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "k", -7), c.expected) << '"' << c.text << '"';
    }
    struct tWrite {
        double value;
        const char* text;
    };
    const tWrite writes[] = {{2.5, "2,5"},     {81920, "81920"}, {0.1, "0,1"},
                             {-0.25, "-0,25"}, {6, "6"},         {1e20, "1e+20"}};
    for (const tWrite& w : writes) {
        tIniFile ini;
        ini.WriteFloat("S", "k", w.value);
        EXPECT_EQ(ini.ReadString("S", "k", ""), w.text);
        EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "k", -7), w.value);
    }
}

TEST(IniFile, OldCodePageLinesReadAsWindows1252LineByLine) {
    // "Temp\xB0" is Windows-1252; the second line is UTF-8 already.
    const std::string before = "[Temperatures]\r\nnameT1=Temp\xB0\r\nnameT2=Gr\xC3\xBC\xC3\x9F\r\n";
    tIniFile ini = tIniFile::FromText(before);
    EXPECT_EQ(ini.ReadString("Temperatures", "nameT1", ""), "Temp\xC2\xB0");
    EXPECT_EQ(ini.ReadString("Temperatures", "nameT2", ""), "Gr\xC3\xBC\xC3\x9F");

    ini.WriteString("Temperatures", "nameT3", "x");
    EXPECT_EQ(ini.Text(), before + "nameT3=x\r\n") << "untouched lines keep their bytes";

    ini.WriteString("Temperatures", "nameT2",
                    "\xC2\xB0"
                    "C");
    tIniFile mixed = tIniFile::FromText(ini.Text());
    EXPECT_EQ(mixed.ReadString("Temperatures", "nameT1", ""), "Temp\xC2\xB0");
    EXPECT_EQ(mixed.ReadString("Temperatures", "nameT2", ""),
              "\xC2\xB0"
              "C");

    // A key whose own name is in the old code page is found by its UTF-8 name.
    tIniFile oldKey = tIniFile::FromText("[S]\nK\xE4se=1\n");
    EXPECT_EQ(oldKey.ReadInteger("S", "K\xC3\xA4se", 0), 1);
    oldKey.WriteInteger("S", "K\xC3\xA4se", 2);
    EXPECT_EQ(oldKey.Text(), "[S]\r\nK\xC3\xA4se=2\r\n");
}

TEST(IniFile, LoadAndSave) {
    test::tTempDir dir;
    bool readError = true;
    tIniFile missing = tIniFile::Load(dir / "none.ini", &readError);
    EXPECT_FALSE(readError);
    EXPECT_EQ(missing.Text(), "");

    std::filesystem::create_directory(dir / "folder.ini");
    tIniFile::Load(dir / "folder.ini", &readError);
    EXPECT_TRUE(readError) << "a file that exists but cannot be read is an error";

    dir.Write("a.ini", "[S]\nk=1\n");
    tIniFile ini = tIniFile::Load(dir / "a.ini", &readError);
    EXPECT_FALSE(readError);
    ini.WriteInteger("S", "k", 2);
    ASSERT_TRUE(ini.Save(dir / "a.ini", 0600, true));
    EXPECT_EQ(dir.Read("a.ini"), "[S]\r\nk=2\r\n");
    struct stat info {};
    ASSERT_EQ(stat((dir / "a.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_FALSE(ini.Save(dir / "no-such-folder" / "b.ini"));
}

}  // namespace
}  // namespace cx
