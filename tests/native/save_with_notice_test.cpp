#include "tests/native/database_test_support.h"

#include "core/save_with_notice.h"

namespace kx {
namespace {

// A whole folder name, compared as Windows compares names in any script.
TEST(SaveWithNotice, PathIsInsideNeedsAWholeFolderName) {
    const struct { const char16_t *path, *folder; bool inside; } cases[] = {
        {u"C:\\ProgramData\\Tarvik\\local\\a.dat", u"C:\\ProgramData\\Tarvik\\", true},
        {u"C:\\ProgramData\\Tarvik2\\a.dat", u"C:\\ProgramData\\Tarvik", false},
        {u"C:\\ProgramData\\Tarvik", u"C:\\ProgramData\\Tarvik", false},
        {u"C:\\a.dat", u"", false},
        {u"C:\\Donn\u00c9es\\\u0414\u0410\u041d\u041d\u042b\\a.dat", u"c:\\donn\u00e9es\\\u0434\u0430\u043d\u043d\u044b", true},
    };
    for (const auto& c : cases) EXPECT_EQ(PathIsInside(c.path, c.folder), c.inside) << U8(c.path);
}

}  // namespace
}  // namespace kx
