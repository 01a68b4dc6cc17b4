// A current directory deeper than PATH_MAX, made by steps of mkdir + chdir
// under base (no absolute path that long could be opened). The destructor
// removes the files left in it, climbs back out removing each step, and
// returns to the directory the test started in.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hyt::test {

class DeepDirectory {
  public:
    explicit DeepDirectory(const std::filesystem::path& base)
        : home(::open(".", O_RDONLY | O_DIRECTORY))
    {
        if (home < 0 || ::chdir(base.c_str()) != 0)
            return;
        while (depth * (kStep.size() + 1) <= 4400) {
            if (::mkdir(kStep.c_str(), 0700) != 0 || ::chdir(kStep.c_str()) != 0)
                return;
            ++depth;
        }
        ok = true;
    }
    ~DeepDirectory()
    {
        if (ok) {
            // Relative paths: the absolute ones are too long to use.
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(".", error))
                ::unlink(entry.path().filename().c_str());
        }
        for (; depth > 0; --depth)
            if (::chdir("..") != 0 || ::rmdir(kStep.c_str()) != 0)
                break;
        if (home >= 0) {
            [[maybe_unused]] const int back = ::fchdir(home);
            ::close(home);
        }
    }
    DeepDirectory(const DeepDirectory&) = delete;
    DeepDirectory& operator=(const DeepDirectory&) = delete;

    bool Ok() const { return ok; }

  private:
    inline static const std::string kStep = std::string(250, 'p');
    int home;
    std::size_t depth = 0;
    bool ok = false;
};

} // namespace hyt::test
