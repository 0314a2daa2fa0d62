// The command trace, line by line: every traced command once, with the frame number,
// its name and its arguments as the program passed them ("%g" numbers, texts in
// quotes with \" \\ and \xHH escapes). The expected lines are written out by hand
// from that format.
#include "runtime/Trace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "commands/kv.h"
#include "input/DXInput.h"
#include "input/KeyScript.h"
#include "tests/support/TestFolder.h"

namespace {
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(Trace, EveryTracedCommandWritesItsExactLine) {
    ASSERT_TRUE(KvStartRuntimeForTests());
    TestFolder folder("kv_trace");
    ASSERT_TRUE(folder.Made());
    const std::string tracePath = folder / "trace.txt";
    const std::string shot = folder / "shot.bmp";
    ASSERT_TRUE(KvOpenTrace(tracePath.c_str()));
    long frame = KvFrameNumber();

    LOADSPRITE("no such picture.bmp", 3);
    LOADBUMPTEXTURE("bump.bmp", 4.5);
    LOADFONT("nofont.bmp", 2);
    SETFONT(0);
    PRINT("say \"hi\"\\now\x01", 1.5, -2);
    PRINT(1234567, 0, 0.25);
    SPRITE(3, 10, 20);
    STRETCHSPRITE(3, 1, 2, 30, 40);
    ZOOMSPRITE(3, 5, 6, 2, -0.5);
    ROTOSPRITE(3, 7, 8, 90);
    ROTOZOOMSPRITE(3, 9, 10, -45, 1.5);
    GRABSPRITE(5, 0, 0, 16, 16);
    ALPHAMODE(-0.5);
    DRAWLINE(0, 0, 639, 479, 255);
    SETPIXEL(1, 2, 65280);
    FILLRECT(10, 10, 0, 0, 16711680);
    STARTPOLY(-1);
    POLYVECTOR(0, 0, 0, 0, 1e20);
    ENDPOLY();
    LOADBMP("nothing.bmp");
    BLENDSCREEN("nothing.bmp");
    SAVEBMP(shot.c_str());
    LIMITFPS(30);
    BLACKSCREEN();
    USEASBMP();
    KeyScript typing;
    std::string error;
    ASSERT_TRUE(typing.Parse(std::to_string(frame) + " down 30\n", "a.keys", error)) << error;
    pDXin->UseKeyScript(typing);
    KEY(257);  // the key number is taken modulo 256: Escape, which is up
    KEY(30);
    INKEY_Str();
    KEYWAIT();
    LOADSOUND("silence.wav", 200, 2);
    PLAYSOUND(1, -1, 0.5);
    HUSH();
    PLAYMUSIC("tune.mid");
    STOPMUSIC();
    SHOWSCREEN();
    SETFONT(1);
    KvCloseTrace();

    const std::string f = std::to_string(frame) + " ", next = std::to_string(frame + 1) + " ";
    const std::vector<std::string> expected = {
        f + "LOADSPRITE \"no such picture.bmp\" 3",
        f + "LOADBUMPTEXTURE \"bump.bmp\" 4.5",
        f + "LOADFONT \"nofont.bmp\" 2",
        f + "SETFONT 0",
        f + "PRINT \"say \\\"hi\\\"\\\\now\\x01\" 1.5 -2",
        f + "PRINT 1.23457e+06 0 0.25",
        f + "SPRITE 3 10 20",
        f + "STRETCHSPRITE 3 1 2 30 40",
        f + "ZOOMSPRITE 3 5 6 2 -0.5",
        f + "ROTOSPRITE 3 7 8 90",
        f + "ROTOZOOMSPRITE 3 9 10 -45 1.5",
        f + "GRABSPRITE 5 0 0 16 16",
        f + "ALPHAMODE -0.5",
        f + "DRAWLINE 0 0 639 479 255",
        f + "SETPIXEL 1 2 65280",
        f + "FILLRECT 10 10 0 0 1.67117e+07",
        f + "STARTPOLY -1",
        f + "POLYVECTOR 0 0 0 0 1e+20",
        f + "ENDPOLY",
        f + "LOADBMP \"nothing.bmp\"",
        f + "BLENDSCREEN \"nothing.bmp\"",
        f + "SAVEBMP \"" + shot + "\"",
        f + "LIMITFPS 30",
        f + "BLACKSCREEN",
        f + "USEASBMP",
        f + "KEY 257 0",
        f + "KEY 30 1",
        f + "INKEY \"a\"",
        f + "KEYWAIT",
        f + "LOADSOUND \"silence.wav\" 200 2",
        f + "PLAYSOUND 1 -1 0.5",
        f + "HUSH",
        f + "PLAYMUSIC \"tune.mid\"",
        f + "STOPMUSIC",
        f + "SHOWSCREEN",
        next + "SETFONT 1",
    };
    EXPECT_EQ(Lines(ReadFileText(tracePath)), expected);
}
}  // namespace
