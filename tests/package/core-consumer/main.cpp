// Saves a value to a property file and loads it back through the installed core library.
#include <kestrum/propstore/cpropdb.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer FILE\n");
        return 2;
    }
    kestrum::CPropDb db;
    db.WritePropString("Look", "ImgName", "sub");
    if (!db.Save(argv[1])) {
        std::fprintf(stderr, "consumer: cannot save %s\n", argv[1]);
        return 1;
    }
    kestrum::CPropDb loaded;
    if (!loaded.Load(argv[1]) || loaded.ReadPropString("Look", "ImgName", "", false) != "sub") {
        std::fprintf(stderr, "consumer: %s did not load back\n", argv[1]);
        return 1;
    }
    return 0;
}
