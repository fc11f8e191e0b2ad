// Saves and loads a value and reads its own version resource through the installed library.
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/cversion.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer FILE\n");
        return 2;
    }
    kestrum::CPropDb db;
    db.WritePropString("Look", "ImgName", "sub");
    if (!db.Save(argv[1])) {
        return 1;
    }
    kestrum::CPropDb loaded;
    if (!loaded.Load(argv[1]) || loaded.ReadPropString("Look", "ImgName", "", false) != "sub") {
        return 1;
    }
    kestrum::CVersion version;
    version.Init();
    std::printf("%s\n", version.GetVersion().c_str());
    return version.GetVersion() == "Version 3.4  Build 9  Demo" ? 0 : 1;
}
