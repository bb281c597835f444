// A file replaced whole or not at all, through a temporary file of the
// program's own: every other file beside the target survives, whatever its
// name, and a failure leaves the target as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/fault.h"
#include "core/replacing_file.h"
#include "core/text_file.h"
#include "support/neural_fixture.h"

namespace tvx {
namespace {

using test::ScratchDir;

std::vector<std::string> sorted_names(const ScratchDir& dir) {
    std::vector<std::string> names = dir.names();
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ReplacingFile, ReplacesTheTargetOnlyOnCommitAndLeavesTheUsersOtherFiles) {
    ScratchDir dir;
    // The names a fixed temporary name would take: a browser's unfinished
    // download, an editor's backup.
    for (const char* name : {"book.csv", "book.csv.part", "book.csv.tmp", "book.csv~"}) dir.write_raw(name, name);
    {
        ReplacingFile file("book.csv");
        file.stream() << "new,text\n";
        file.stream().flush();
        EXPECT_EQ(dir.read("book.csv"), "book.csv");  // not yet
        EXPECT_EQ(file.temporary().parent_path(), "");
        file.commit();
    }
    EXPECT_EQ(dir.read("book.csv"), "new,text\n");
    for (const char* name : {"book.csv.part", "book.csv.tmp", "book.csv~"}) EXPECT_EQ(dir.read(name), name);
    EXPECT_EQ(sorted_names(dir), (std::vector<std::string>{"book.csv", "book.csv.part", "book.csv.tmp", "book.csv~"}));
}

TEST(ReplacingFile, DroppedOrFailedItLeavesTheTargetAndNoTemporaryFile) {
    ScratchDir dir;
    dir.write_raw("kept.csv", "old\n");
    {
        ReplacingFile dropped("kept.csv");  // say, the run failed half-way
        dropped.stream() << "half";
    }
    EXPECT_EQ(dir.read("kept.csv"), "old\n");
    // A folder in the target's place: the rename fails.
    std::filesystem::create_directory(dir.path() / "folder");
    ReplacingFile onto_folder("folder");
    onto_folder.stream() << "text";
    EXPECT_THROW(onto_folder.commit(), RuntimeError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder"));
    // No folder to make the file in, or no file name at all.
    EXPECT_THROW(ReplacingFile("absent/x.csv"), RuntimeError);
    EXPECT_THROW(ReplacingFile(""), RuntimeError);
    EXPECT_THROW(ReplacingFile("folder/"), RuntimeError);
    EXPECT_EQ(sorted_names(dir), (std::vector<std::string>{"folder", "kept.csv"}));
}

TEST(ReplacingFile, AWholeFileWrittenLeavesAUsersPartFile) {
    ScratchDir dir;
    dir.write_raw("points.csv.part", "the user's own");
    EXPECT_TRUE(write_file_whole("points.csv", "x,y\n1,2\n"));
    EXPECT_EQ(dir.read("points.csv"), "x,y\n1,2\n");
    EXPECT_EQ(dir.read("points.csv.part"), "the user's own");
    EXPECT_FALSE(write_file_whole("absent/points.csv", "x"));
}

}  // namespace
}  // namespace tvx
