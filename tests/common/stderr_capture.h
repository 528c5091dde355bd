#pragma once
// Captures what the code under test writes to standard error.

#include <cstdio>
#include <string>
#include <unistd.h>

namespace bw::test {

class StderrCapture {
  public:
    StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
        std::fflush(stderr);
        dup2(fileno(file_), 2);
    }
    std::string finish() {
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        std::string out;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;)
            out += char(c);
        std::fclose(file_);
        return out;
    }

  private:
    FILE* file_;
    int saved_;
};

} // namespace bw::test
