// A toolkit puts the user's locale in force, and in many the decimal point is
// a comma: the trace's numbers must not follow it.

#include "binding/trace_lines.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <string>

#include <unistd.h>

namespace miravel::binding {
namespace {

// German numbers in force, for the C library and for C++ streams, while it lives.
class GermanNumbers {
public:
    GermanNumbers() : before_(std::setlocale(LC_ALL, nullptr)) {
        // Machines set up for one language have no such locale installed: one is
        // made for the test from the C library's sources (Debian's locales).
        if (!std::setlocale(LC_ALL, Name)) {
            char made[] = "/tmp/miravel-locale-XXXXXX";
            EXPECT_NE(mkdtemp(made), nullptr);
            made_ = made;
            const std::string localedef = "localedef -i de_DE -f UTF-8 " + (made_ / Name).string();
            EXPECT_EQ(std::system(localedef.c_str()), 0) << localedef;
            setenv("LOCPATH", made_.c_str(), 1);
            EXPECT_NE(std::setlocale(LC_ALL, Name), nullptr);
        }
        std::locale::global(std::locale(Name));
    }
    ~GermanNumbers() {
        std::locale::global(std::locale::classic());
        std::setlocale(LC_ALL, before_.c_str());
        if (made_.empty()) return;
        unsetenv("LOCPATH");
        std::filesystem::remove_all(made_);
    }

    static constexpr const char* Name = "de_DE.UTF-8";

private:
    std::string before_;
    std::filesystem::path made_;
};

TEST(TraceLines, NumbersKeepTheirPointInAGermanLocale) {
    const GermanNumbers german;
    ASSERT_EQ(*std::localeconv()->decimal_point, ',');
    EXPECT_EQ(wallLine(127.245, 1796708239537.012), R"({"ms": 127.245, "wall": 1796708239537.012})");
    EXPECT_EQ(virtualZeroLine(152.898, 152.885), R"({"ms": 152.898, "virtual_zero": 152.885})");
    EXPECT_EQ(paintLine(153.362, 1234567, 152.885), R"({"ms": 153.362, "painted": 1234567, "shows": 152.885})");
    EXPECT_EQ(handlerLine(1552.885, "JIKOKU1", "Timer"), R"({"ms": 1552.885, "handler": "JIKOKU1_Timer"})");
    EXPECT_EQ(restingLine(2000.5, true), R"({"ms": 2000.500, "resting": true})");
}

} // namespace
} // namespace miravel::binding
