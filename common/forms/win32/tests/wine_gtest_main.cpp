// main() of the GoogleTest programs run under Wine, one process per program:
// a program whose every case skipped answers 77, which ctest reports as
// skipped (SKIP_RETURN_CODE); one with a failure answers 1 as usual.
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    const testing::UnitTest &run = *testing::UnitTest::GetInstance();
    if (result == 0 && run.successful_test_count() == 0 && run.skipped_test_count() > 0)
        return 77;
    return result;
}
