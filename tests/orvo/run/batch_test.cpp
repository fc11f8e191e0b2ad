// The real orvo program: exit statuses, printed texts, the files of a run and the settings read.
#include "batchtest.h"

#include <kestrum/propstore/cpropdb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace orvo::test {
namespace {

const std::string kHint = "         Press Escape to cancel!";
const std::string kShort = "1\t00:00:01:00\t00:00:02:00\tOne\r\n";
const std::string kTwoLines = "2\t00:00:03:00\t00:00:04:00\tTwo\tlines\r\n";
const std::string kLong = "3\t00:00:05:00\t00:00:06:00\tThis subtitle is much too long to fit on "
                          "one line of a standard definition picture at all\r\n";
const std::string kLongLater = "4\t00:00:07:00\t00:00:08:00\tThis subtitle is much too long to "
                               "fit on one line of a standard definition picture at all\r\n";

// Subtitle n of a long list, one a second: times that overlap would be warned about.
std::string ShortAt(int n) {
    std::array<char, 64> line{};
    std::snprintf(line.data(), line.size(), "%d\t00:%02d:%02d:00\t00:%02d:%02d:12\tOne\r\n", n,
                  n / 60, n % 60, n / 60, n % 60);
    return line.data();
}

TEST_F(BatchTest, FinishesWithoutWrappedSubtitles) {
    WriteText(Work("film.txt"), kShort + kTwoLines);
    // As for root: no runtime folder, about which the run says nothing, since it needs none.
    m_withRuntimeFolder = false;
    const Result result = Orvo({"--batch", "film.txt"});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Finished! No errors found.\n");
    // No terminal: no progress bar.
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"OutputImg.1.bmp", "OutputImg.2.bmp",
                                                     "film.cfg", "film.sst", "film.txt"}));
    EXPECT_EQ(ReadText(Work("OutputImg.1.bmp")).substr(0, 2), "BM");
    // The program's own settings file is never written by a batch run.
    EXPECT_FALSE(Exists(m_ownSettings));
}

TEST_F(BatchTest, ListsWrappedSubtitlesAsFoundAndAtTheEnd) {
    WriteText(Work("film.txt"), kShort + kLong + kLongLater);
    const Result result = Orvo({"--batch", Work("film.txt")});

    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "OutputImg.2.bmp\n"
                          "OutputImg.3.bmp\n"
                          "Additional line breaks in 2 bitmaps found:\n"
                          "OutputImg.2.bmp\n"
                          "OutputImg.3.bmp\n"
                          "Finished! Additional line breaks in 2 bitmaps found.\n");
}

TEST_F(BatchTest, TestModeWritesScriptAndConfigurationButNoBitmap) {
    WriteText(Work("film.txt"), kShort + kLong);
    const Result result = Orvo({"--batch", "film.txt", "--test-mode"});

    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"film.cfg", "film.sst", "film.txt"}));
}

TEST_F(BatchTest, TextCutOffHasItsOwnHeadingAndStatusFourWinsOverThree) {
    std::string tall = "4\t00:00:07:00\t00:00:08:00\tTall";
    for (int i = 0; i < 30; ++i) {
        tall += "\tTall";
    }
    WriteText(Work("film.txt"), kLong + tall + "\r\n");
    const Result result = Orvo({"--batch", "film.txt"});

    EXPECT_EQ(result.status, 4);
    EXPECT_EQ(result.out, "OutputImg.1.bmp\n"
                          "Additional line breaks in 1 bitmaps found:\n"
                          "OutputImg.1.bmp\n"
                          "\n"
                          "Text cut off in 1 bitmaps:\n"
                          "OutputImg.2.bmp\n"
                          "Finished! Additional line breaks in 1 bitmaps found.\n");
}

TEST_F(BatchTest, AListThatCannotBeLoadedWritesNothing) {
    WriteText(Work("film.txt"), kShort + "2\tonly\tthree\r\n" + kShort);
    Result result = Orvo({"--batch", "film.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvo: film.txt: line 2: 3 tab-separated fields; a subtitle needs at "
                          "least 4: number, start time, end time, text\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"film.txt"});

    result = Orvo({"--batch", "missing.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvo: missing.txt: No such file or directory\n");
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"film.txt"});
}

// A refused run is a failed one: a script that gets nothing would otherwise read it as done.
TEST_F(BatchTest, ALookTheDvdColoursCannotShowFailsAndWritesNothing) {
    WriteText(Work("film.txt"), kShort);
    kestrum::CPropDb db;
    db.WritePropBool("", "DvdColors", 1);
    db.WritePropInt("", "TextColor", 0x00FFFFFF); // the background's white
    ASSERT_TRUE(db.Save(Work("film.cfg")));
    const std::string before = ReadText(Work("film.cfg"));

    const Result result = Orvo({"--batch", "film.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("The DVD colours need different colours for text, text background "
                              "and background.\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"film.cfg", "film.txt"}));
    EXPECT_EQ(ReadText(Work("film.cfg")), before);
}

// The option draws this run in the four colours, and the list keeps them for the next run.
TEST_F(BatchTest, DvdColorsDrawsFourColoursAndIsStoredWithTheList) {
    WriteText(Work("film.txt"), kShort);
    ASSERT_EQ(Orvo({"--batch", "film.txt"}).status, 0);
    const std::string sixteenColours = ReadText(Work("OutputImg.1.bmp"));

    ASSERT_EQ(Orvo({"--batch", "film.txt", "--dvd-colors"}).status, 0);
    const std::string fourColours = ReadText(Work("OutputImg.1.bmp"));
    EXPECT_NE(fourColours, sixteenColours);
    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(Work("film.cfg")));
    EXPECT_EQ(saved.ReadPropBool("", "DvdColors", 0, false), 1);

    std::filesystem::remove(Work("OutputImg.1.bmp"));
    ASSERT_EQ(Orvo({"--batch", "film.txt"}).status, 0);
    EXPECT_EQ(ReadText(Work("OutputImg.1.bmp")), fourColours);

    // env finds identify on the path; 127 says it is not there.
    const Result identified =
        RunProgram({{"/usr/bin/env", "identify", "-format", "%k", Work("OutputImg.1.bmp")},
                    m_dir.File("work"),
                    EnvironmentWithout({}),
                    m_dir.File("stdout"),
                    m_dir.File("stderr")});
    if (identified.status == 127) {
        GTEST_SKIP() << "ImageMagick's identify is not installed: the colour count of the bitmap "
                        "is not checked by another program";
    }
    EXPECT_EQ(identified.status, 0) << identified.err;
    EXPECT_EQ(identified.out, "4");
}

TEST_F(BatchTest, OutputTypeSpumuxWritesTheControlFileAndPngsAndIsStoredWithTheList) {
    WriteText(Work("film.txt"), kShort);
    ASSERT_EQ(Orvo({"--batch", "film.txt", "--output-type", "spumux"}).status, 0);
    // The pictures are named after the list, so that another list's never replace them.
    EXPECT_EQ(WorkFiles(),
              (std::vector<std::string>{"film.1.png", "film.cfg", "film.txt", "film.xml"}));
    EXPECT_NE(ReadText(Work("film.xml")).find("image=\"film.1.png\""), std::string::npos);
    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(Work("film.cfg")));
    EXPECT_EQ(saved.ReadPropInt("", "OutputType", -1, false), 1);

    // The list remembers its type; the option turns it back.
    std::filesystem::remove(Work("film.1.png"));
    ASSERT_EQ(Orvo({"--batch", "film.txt"}).status, 0);
    EXPECT_TRUE(Exists(Work("film.1.png")));
    // The name travels with the list like the type.
    ASSERT_EQ(Orvo({"--batch", "film.txt", "--output-type", "dvd-1"}).status, 0);
    EXPECT_TRUE(Exists(Work("film.1.bmp")));
    EXPECT_TRUE(Exists(Work("film.sst")));
    ASSERT_TRUE(saved.Load(Work("film.cfg")));
    EXPECT_EQ(saved.ReadPropInt("", "OutputType", -1, false), 0);
}

// The help says what each output type writes, not the bitmaps of one of them for all.
TEST_F(BatchTest, HelpSaysWhatEachOutputTypeWrites) {
    const Result help = Orvo({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* said : {"one bitmap per subtitle and a script file (dvd-1)",
                             "PNG per subtitle and a control file (spumux)",
                             "an index and its subpictures (vobsub)"}) {
        std::string flat = help.out;
        std::replace(flat.begin(), flat.end(), '\n', ' ');
        EXPECT_NE(flat.find(said), std::string::npos) << said << "\n" << help.out;
    }
}

// The look's options replace the stored look for the run, and the list keeps them.
TEST_F(BatchTest, LookOptionsReplaceTheStoredLookAndTravelWithTheList) {
    WriteText(Work("film.txt"), kShort);
    ASSERT_EQ(Orvo({"--batch", "film.txt", "--ntsc", "--font", "Liberation Serif:30:bold",
                    "--text-color", "white", "--background-color", "dark-blue", "--outline", "2",
                    "--shadow", "1", "--margins", "40,30,20", "--align", "left"})
                  .status,
              0);
    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(Work("film.cfg")));
    EXPECT_EQ(saved.ReadPropBool("", "PAL", -1, false), 0);
    EXPECT_EQ(saved.ReadPropInt("", "TextColor", -1, false), 0xFFFFFF);
    EXPECT_EQ(saved.ReadPropInt("", "BkgColor", -1, false), 0x800000);
    EXPECT_EQ(saved.ReadPropInt("", "Outline", -1, false), 1);
    EXPECT_EQ(saved.ReadPropInt("", "OutlineWidth", -1, false), 2);
    EXPECT_EQ(saved.ReadPropInt("", "ShadowOffset", -1, false), 1);
    EXPECT_EQ(saved.ReadPropInt("", "LeftMargin", -1, false), 40);
    EXPECT_EQ(saved.ReadPropInt("", "RightMargin", -1, false), 30);
    EXPECT_EQ(saved.ReadPropInt("", "VerticalOffset", -1, false), 20);
    EXPECT_EQ(saved.ReadPropInt("", "Align", -1, false), 0);
    const std::string bitmap = ReadText(Work("OutputImg.1.bmp"));
    ASSERT_GE(bitmap.size(), 26u);
    EXPECT_EQ(static_cast<unsigned char>(bitmap[22]) | static_cast<unsigned char>(bitmap[23]) << 8,
              480);

    // A colour of its own needs a type with a palette of its own.
    EXPECT_EQ(Orvo({"--batch", "film.txt", "--text-color", "#123456"}).status, 1);
    EXPECT_EQ(
        Orvo({"--batch", "film.txt", "--text-color", "#123456", "--output-type", "spumux"}).status,
        0);
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"--box", "--outline", "1"},
          {"--font", "Arial"},
          {"--margins", "1,2"},
          {"--align", "middle"},
          {"--ntsc", "--pal"},
          {"--shadow", "5"}}) {
        std::vector<std::string> arguments{"--batch", "film.txt"};
        arguments.insert(arguments.end(), refused.begin(), refused.end());
        EXPECT_EQ(Orvo(arguments).status, 2) << refused.front();
    }
}

// Two lists of one folder: the second DVD-1 run, whose images share the first one's default
// name, says before it draws that it replaces what the first one's script names.
TEST_F(BatchTest, ARunThatReplacesTheImagesOfAnotherListSaysSo) {
    WriteText(Work("en.txt"), kShort);
    WriteText(Work("fr.txt"), kShort);
    ASSERT_EQ(Orvo({"--batch", "en.txt"}).status, 0);
    const Result second = Orvo({"--batch", "fr.txt"});
    EXPECT_EQ(second.status, 3);
    EXPECT_EQ(second.err, "orvo: en.sst names 1 of the images this run replaces "
                          "(OutputImg.1.bmp to OutputImg.1.bmp)\n");
    EXPECT_EQ(second.out, "Images that 1 other lists name were replaced:\n"
                          "en.sst names 1 of the images this run replaces "
                          "(OutputImg.1.bmp to OutputImg.1.bmp)\n"
                          "Finished! Images that 1 other lists name were replaced.\n");
    // The tool's pictures are each list's own.
    WriteText(Work("de.txt"), kShort);
    WriteText(Work("it.txt"), kShort);
    ASSERT_EQ(Orvo({"--batch", "de.txt", "--output-type", "spumux"}).status, 0);
    EXPECT_EQ(Orvo({"--batch", "it.txt", "--output-type", "spumux"}).err, "");
    EXPECT_TRUE(Exists(Work("de.1.png")));
    EXPECT_TRUE(Exists(Work("it.1.png")));
    // A name given that another list's control file names is told as well.
    EXPECT_EQ(Orvo({"--batch", "it.txt", "--output-type", "spumux", "--name", "de"}).err,
              "orvo: de.xml names 1 of the images this run replaces (de.1.png to de.1.png)\n");
    // So is a Blu-ray listing, which names its pictures in its Graphic elements.
    WriteText(Work("nl.txt"), kShort);
    ASSERT_EQ(Orvo({"--batch", "nl.txt", "--output-type", "bdn"}).status, 0);
    EXPECT_EQ(Orvo({"--batch", "it.txt", "--output-type", "spumux", "--name", "nl"}).err,
              "orvo: nl.xml names 1 of the images this run replaces (nl.1.png to nl.1.png)\n");
}

// The authoring tool itself on a whole run, PAL and NTSC: it must add every subtitle. It exits 0
// also when it skips one, so that only its report tells.
TEST_F(BatchTest, TheAuthoringToolAddsEverySubtitleOfASpumuxRun) {
    if (Tool("command -v spumux && command -v ffmpeg").status != 0) {
        GTEST_SKIP() << "spumux or ffmpeg is not installed: the spumux run is not checked by the "
                        "authoring tool (scripts/install-deps installs them)";
    }
    WriteText(Work("film.txt"), "1\t00:00:00:10\t00:00:01:12\tThe harbour lights\r\n"
                                "2\t00:00:02:00\t00:00:03:20\tTwo lines:\tboats & gulls\r\n"
                                "3\t00:00:04:05\t00:00:05:00\t<Late> \"quoted\"\r\n");
    for (const bool pal : {true, false}) {
        kestrum::CPropDb look;
        look.WritePropBool("", "PAL", pal ? 1 : 0);
        ASSERT_TRUE(look.Save(Work("look.cfg")));
        ASSERT_EQ(Orvo({"--batch", "film.txt", "--settings", "look.cfg", "--output-type", "spumux"})
                      .status,
                  0);
        const std::string video = pal ? "color=black:s=720x576:r=25 -target pal-dvd"
                                      : "color=black:s=720x480:r=30000/1001 -target ntsc-dvd";
        const Result muxed =
            Tool("ffmpeg -v error -y -f lavfi -i " + video +
                 " -t 6 video.mpg && spumux -m dvd film.xml < video.mpg > out.mpg");
        EXPECT_EQ(muxed.status, 0) << muxed.err;
        EXPECT_NE(muxed.err.find("3 subtitles added, 0 subtitles skipped"), std::string::npos)
            << (pal ? "PAL: " : "NTSC: ") << muxed.err;
    }
}

// The players' tools on a whole run: one subtitle packet per subtitle, at its start to the
// millisecond, and the index accepted for a Matroska file. The language is stored with the list.
TEST_F(BatchTest, TheToolsOfPlayersReadAVobSubRun) {
    if (Tool("command -v ffprobe && command -v mkvmerge").status != 0) {
        GTEST_SKIP() << "ffprobe or mkvmerge is not installed: the VobSub run is not checked by "
                        "them (scripts/install-deps installs them)";
    }
    WriteText(Work("film.txt"), "1\t00:00:00:10\t00:00:01:12\tThe harbour lights\r\n"
                                "2\t00:00:02:00\t00:00:03:20\tTwo lines:\tboats & gulls\r\n"
                                "3\t00:01:04:05\t00:01:05:00\t<Late> \"quoted\"\r\n");
    ASSERT_EQ(Orvo({"--batch", "film.txt", "--output-type", "vobsub", "--lang", "de"}).status, 0);
    EXPECT_EQ(WorkFiles(),
              (std::vector<std::string>{"film.cfg", "film.idx", "film.sub", "film.txt"}));

    const Result probed = Tool("ffprobe -v error -select_streams s:0 -show_entries "
                               "stream=codec_name:stream_tags=language:packet=pts_time "
                               "-of default=noprint_wrappers=1 film.idx");
    ASSERT_EQ(probed.status, 0) << probed.err;
    EXPECT_EQ(probed.out, "pts_time=0.400000\npts_time=2.000000\npts_time=64.200000\n"
                          "codec_name=dvd_subtitle\nTAG:language=de\n");
    const Result muxed = Tool("mkvmerge -o film.mks film.idx");
    EXPECT_EQ(muxed.status, 0) << muxed.out;

    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(Work("film.cfg")));
    EXPECT_EQ(saved.ReadPropInt("", "OutputType", -1, false), 2);
    EXPECT_EQ(saved.ReadPropString("", "Language", "", false), "de");
}

// A list called film.sub (as MicroDVD lists are) would be replaced by the packs.
TEST_F(BatchTest, AVobSubRunNeverReplacesItsList) {
    const std::string list = "1\t00:00:01:00\t00:00:02:00\tOne\r\n";
    WriteText(Work("film.sub"), list);
    const Result result = Orvo({"--batch", "film.sub", "--output-type", "vobsub"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("it is the subtitle list"), std::string::npos) << result.out;
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"film.sub"});
    EXPECT_EQ(ReadText(Work("film.sub")), list);
}

TEST_F(BatchTest, ASpumuxRunOfUnreadableTimesFailsBeforeWritingAnything) {
    WriteText(Work("film.txt"), "1\t00:00:01:00\t00:00:02:00\tOne\r\n"
                                "2\t00:00:03:00\t00:00:03:29\tTwo\r\n");
    const Result result = Orvo({"--batch", "film.txt", "--output-type", "spumux"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Subtitle 2, line 2: the time \"00:00:03:29\" cannot be read at 25 "
                              "fps (frame 29 at 25 fps)\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"film.txt"});
    // At 30 frames a second the same times are readable.
    EXPECT_EQ(Orvo({"--batch", "film.txt", "--output-type", "spumux", "--fps", "30"}).status, 0);
    EXPECT_TRUE(Exists(Work("film.xml")));
}

TEST_F(BatchTest, UsageErrorsExitWithTwo) {
    WriteText(Work("film.txt"), kShort);
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--batch", "film.txt", "--start-index", "100000"},
                                               {"--batch", "film.txt", "--start-index", "-1"},
                                               {"--batch", "film.txt", "--start-index", "1x"},
                                               {"--batch", "film.txt", "--header", "bad\\q"},
                                               {"--batch", "film.txt", "extra"},
                                               {"--convert", "film.txt", "--dvd-colors"},
                                               {"--dvd-colors"},
                                               {"--batch", "film.txt", "--output-type", "VobSub"},
                                               {"--batch", "film.txt", "--lang", "EN"},
                                               {"--batch", "film.txt", "--lang", "en, index"},
                                               {"--convert", "film.txt", "--lang", "de"},
                                               {"--batch", "film.txt", "--output-type", "DVD-1"},
                                               {"--convert", "film.txt", "--output-type", "spumux"},
                                               {"--output-type", "spumux"},
                                               {"--batch", "film.txt", "--jobs", "0"},
                                               {"--batch", "film.txt", "--jobs", "65"},
                                               {"--batch", "film.txt", "--jobs", "99999999999"},
                                               {"--batch", "film.txt", "--jobs", "+2"},
                                               {"--convert", "film.txt", "--jobs", "2"},
                                               {"--batch"},
                                               {"--no-such-option"},
                                               {}}) {
        const Result result = Orvo(arguments);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_EQ(result.err.rfind("orvo: ", 0), 0u) << result.err;
    }
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"film.txt"});
}

TEST_F(BatchTest, VersionComesFromTheVersionResource) {
    const Result result = Orvo({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "orvo Version 0.1  Build 1  Beta\n");
}

TEST_F(BatchTest, TheListConfigurationFileGivesNameIndexAndHeader) {
    WriteText(Work("film.txt"), kShort);
    WriteSettings(Work("film.cfg"), "Stored", 5);
    WriteSettings(m_ownSettings, "Program", 9);
    const std::string ownBefore = ReadText(m_ownSettings);

    EXPECT_EQ(Orvo({"--batch", "film.txt"}).status, 0);
    EXPECT_TRUE(Exists(Work("Stored.5.bmp")));
    EXPECT_EQ(ReadText(Work("film.sst")).rfind("Header of Stored\r\n0005\t", 0), 0u);
    EXPECT_EQ(ReadText(m_ownSettings), ownBefore);
}

TEST_F(BatchTest, OptionsWinOverStoredValues) {
    WriteText(Work("film.txt"), kShort);
    WriteSettings(Work("film.cfg"), "Stored", 5);
    const Result result = Orvo({"--batch", "film.txt", "--name", "Given", "--start-index", "0",
                                "--header", "a\\tb\\r\\nc"});

    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(Exists(Work("Given.0.bmp")));
    EXPECT_EQ(ReadText(Work("film.sst")),
              "a\tb\r\nc\r\n0000\t00:00:01:00\t00:00:02:00\tGiven.0.bmp\r\n");
    // The list configuration file now holds what this run used.
    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(Work("film.cfg")));
    EXPECT_EQ(saved.ReadPropString("", "ImgName", "", false), "Given");
    EXPECT_EQ(saved.ReadPropInt("", "StartIndex", -1, false), 0);
    EXPECT_EQ(saved.ReadPropString("", "Header1", "", false), "a\tb\r\nc");
}

TEST_F(BatchTest, WithoutAListConfigurationTheProgramsSettingsAreRead) {
    WriteText(Work("film.txt"), kShort);
    WriteSettings(Work("film.cfg"), "Stored", 5);
    WriteSettings(m_ownSettings, "Program", 9);
    const std::string ownBefore = ReadText(m_ownSettings);

    EXPECT_EQ(Orvo({"--batch", "film.txt", "--ignore-list-config"}).status, 0);
    EXPECT_TRUE(Exists(Work("Program.9.bmp")));
    EXPECT_EQ(ReadText(m_ownSettings), ownBefore);

    std::filesystem::remove(Work("film.cfg"));
    EXPECT_EQ(Orvo({"--batch", "film.txt"}).status, 0);
    EXPECT_TRUE(Exists(Work("Program.9.bmp")));
    EXPECT_EQ(ReadText(m_ownSettings), ownBefore);
}

TEST_F(BatchTest, TheSettingsOptionWinsAndItsFileStaysUnchanged) {
    WriteText(Work("film.txt"), kShort);
    WriteSettings(Work("film.cfg"), "Stored", 5);
    WriteSettings(m_dir.File("chosen.cfg"), "Chosen", 7);
    const std::string chosenBefore = ReadText(m_dir.File("chosen.cfg"));

    EXPECT_EQ(Orvo({"--batch", "film.txt", "--settings", m_dir.File("chosen.cfg")}).status, 0);
    EXPECT_TRUE(Exists(Work("Chosen.7.bmp")));
    EXPECT_EQ(ReadText(m_dir.File("chosen.cfg")), chosenBefore);

    // A settings file that is not there means the defaults.
    EXPECT_EQ(Orvo({"--batch", "film.txt", "--settings", m_dir.File("none.cfg")}).status, 0);
    EXPECT_TRUE(Exists(Work("OutputImg.1.bmp")));
    EXPECT_FALSE(Exists(m_dir.File("none.cfg")));
}

TEST_F(BatchTest, ADamagedSettingsFileIsNamedAndNothingIsWritten) {
    WriteText(Work("film.txt"), kShort);
    WriteSettings(Work("film.cfg"), "Stored", 5);
    const std::string damaged = ReadText(Work("film.cfg")).substr(0, 20);
    WriteText(Work("film.cfg"), damaged);

    const Result result = Orvo({"--batch", "film.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("orvo: film.cfg: ", 0), 0u) << result.err;
    EXPECT_GT(result.err.size(), std::string("orvo: film.cfg: \n").size());
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"film.cfg", "film.txt"}));
    EXPECT_EQ(ReadText(Work("film.cfg")), damaged);
}

TEST_F(BatchTest, AStoredStartIndexOutOfRangeIsRefused) {
    WriteText(Work("film.txt"), kShort);
    WriteSettings(Work("film.cfg"), "Stored", 2147483647);
    const Result result = Orvo({"--batch", "film.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvo: film.cfg: StartIndex 2147483647 is not between 0 and 99999\n");
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"film.cfg", "film.txt"}));
}

TEST_F(BatchTest, FilesThatCannotBeWrittenAreCountedAfterTheFirstTenAndTheRunGoesOn) {
    std::string list;
    for (int i = 1; i <= 13; ++i) {
        list += ShortAt(i);
        // A folder where a bitmap should go cannot be replaced by it.
        if (i != 13) {
            std::filesystem::create_directory(Work("OutputImg." + std::to_string(i) + ".bmp"));
        }
    }
    WriteText(Work("film.txt"), list);
    const Result result = Orvo({"--batch", "film.txt"});

    EXPECT_EQ(result.status, 1);
    std::string expected;
    for (int i = 1; i <= 10; ++i) {
        expected += "orvo: cannot write OutputImg." + std::to_string(i) + ".bmp: Is a directory\n";
    }
    EXPECT_EQ(result.err, expected + "orvo: ... and 2 more files could not be written\n");
    EXPECT_EQ(result.out, "Finished! 12 files could not be written.\n");
    EXPECT_EQ(ReadText(Work("OutputImg.13.bmp")).substr(0, 2), "BM");
    EXPECT_TRUE(Exists(Work("film.sst")));
}

// However it comes in, a name that could lead out of the list's folder writes nothing.
TEST_F(BatchTest, ImageNamesThatLeaveTheFolderAreRefusedBeforeAnythingIsWritten) {
    using namespace std::string_literals;
    const struct {
        std::vector<std::string> options;
        std::string storedName;
        int status;
        std::string err;
    } cases[] = {
        {{"--name", "../esc"},
         "",
         2,
         "orvo: The image name \"../esc\" is refused: it contains a folder separator.\n"
         "Try 'orvo --help' for the options.\n"},
        {{"--name", ""},
         "",
         2,
         "orvo: The image name \"\" is refused: it is empty.\n"
         "Try 'orvo --help' for the options.\n"},
        {{},
         "../../notes.txt\0"s,
         1,
         "orvo: film.cfg: The image name \"../../notes.txt\\x00\" is refused: it contains a "
         "folder separator.\n"},
        {{},
         "a\r\nb",
         1,
         "orvo: film.cfg: The image name \"a\\x0D\\x0Ab\" is refused: it contains a control "
         "character.\n"},
    };
    for (const auto& refused : cases) {
        std::filesystem::remove(Work("film.cfg"));
        WriteText(Work("film.txt"), kShort);
        if (!refused.storedName.empty()) {
            WriteSettings(Work("film.cfg"), refused.storedName, 1);
        }
        const std::string before = Exists(Work("film.cfg")) ? ReadText(Work("film.cfg")) : "";
        std::vector<std::string> arguments{"--batch", "film.txt"};
        arguments.insert(arguments.end(), refused.options.begin(), refused.options.end());
        const Result result = Orvo(arguments);

        EXPECT_EQ(result.status, refused.status) << refused.err;
        EXPECT_EQ(result.err, refused.err);
        const std::vector<std::string> expected =
            refused.storedName.empty() ? std::vector<std::string>{"film.txt"}
                                       : std::vector<std::string>{"film.cfg", "film.txt"};
        EXPECT_EQ(WorkFiles(), expected);
        EXPECT_EQ(Exists(Work("film.cfg")) ? ReadText(Work("film.cfg")) : "", before);
    }
    EXPECT_FALSE(Exists(m_dir.File("esc.1.bmp")));
}

TEST_F(BatchTest, InterruptStopsAfterTheCurrentSubtitle) {
    std::string list;
    for (int i = 1; i <= 3000; ++i) {
        list += ShortAt(i);
    }
    WriteText(Work("film.txt"), list);
    const ProgramStart start = Start({"--batch", "film.txt"});
    const pid_t pid = StartProgram(start);
    ASSERT_GT(pid, 0);
    // The handler is in place before the first bitmap is written.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!Exists(Work("OutputImg.1.bmp")) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGINT);
    const Result result = FinishProgram(pid, start);

    EXPECT_EQ(result.status, 130);
    EXPECT_TRUE(Exists(Work("OutputImg.1.bmp")));
    EXPECT_FALSE(Exists(Work("OutputImg.3000.bmp")));
    // The script lists exactly the bitmaps written, and the last line says how many.
    int written = 0;
    while (Exists(Work("OutputImg." + std::to_string(written + 1) + ".bmp"))) {
        ++written;
    }
    const std::string script = ReadText(Work("film.sst"));
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 5 + written);
    EXPECT_NE(script.find("OutputImg." + std::to_string(written) + ".bmp\r\n"), std::string::npos);
    EXPECT_EQ(result.out, std::to_string(written) +
                              " of 3000 images generated; the script file lists them.\n"
                              "Generation terminated by user !\n");
}

} // namespace
} // namespace orvo::test
