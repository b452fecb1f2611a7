// This run's warnings, kept for the player who started the game from a menu
// and never sees standard error: each line goes to the console as before and,
// with the lines before it, to voltaro5.log beside the best-score file. A log
// an earlier run left is removed at start, so the file only ever holds the
// warnings of the latest run, and there is none when it had nothing to say.
// main()'s body (desktop/run_game.cpp) hands Stream() to every reader and
// writer of the player's files.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace voltaro {

inline constexpr const char* kWarningLogFile = "voltaro5.log";

class WarningLog {
 public:
  // `path` empty: the console only (there is no folder to keep a log in).
  WarningLog(std::string path, std::ostream& console);
  WarningLog(const WarningLog&) = delete;
  WarningLog& operator=(const WarningLog&) = delete;

  std::ostream& Stream() { return stream_; }

 private:
  // Passes every character to the console and rewrites the file whole
  // (saves/file_write.h), whole lines only, after each complete line.
  class Buffer final : public std::streambuf {
   public:
    Buffer(std::string path, std::ostream& console) : path_(std::move(path)), console_(console) {}

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

   private:
    std::string path_;
    std::ostream& console_;
    std::string lines_;  // everything written this run
  };

  Buffer buffer_;
  std::ostream stream_{&buffer_};
};

}  // namespace voltaro
