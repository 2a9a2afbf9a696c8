// Folder identities: the walk's protection against links back to an ancestor rests on them.
#include "platform/folder_enumeration.h"

#include <gtest/gtest.h>

#include "tests/passes/test_tree.h"

namespace {

TEST(FolderIdentity, SameFolderHoweverItIsSpelled) {
  testtree::TempFolder tree("identity");
  const std::string r = tree.Path();
  testtree::MakeFolder(r + "\\sub");
  testtree::MakeFolder(r + "\\other");
  testtree::WriteBytes(r + "\\file.txt", "not a folder");

  struct Case {
    std::string a, b;
    bool same;
  };
  const Case cases[] = {
      {r, r + "\\sub\\..", true},
      {r + "\\sub", r + "\\other\\..\\sub", true},
      {r, r + "\\sub", false},
      {r + "\\sub", r + "\\other", false},
#ifdef _WIN32
      // A drive root is held as "C:", which must not mean the drive's current folder.
      {"C:", "C:\\windows\\..", true},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    platform::FolderIdentity a, b;
    ASSERT_TRUE(platform::GetFolderIdentity(c.a, a));
    ASSERT_TRUE(platform::GetFolderIdentity(c.b, b));
    EXPECT_EQ(a == b, c.same);
  }

  platform::FolderIdentity none;
  EXPECT_FALSE(platform::GetFolderIdentity(r + "\\missing", none));
  EXPECT_FALSE(platform::GetFolderIdentity(r + "\\file.txt", none));
  // A folder whose identity is unknown is never taken for another one, not even for itself.
  EXPECT_FALSE(none == none);
}

}  // namespace
