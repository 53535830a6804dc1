// partial_output.h - an output that appears only when it is complete. Everything is written
// to a hidden partial file or folder beside it, renamed into place at the end, and removed on
// failure or interrupt; an existing output is left alone until then (and replaced only when
// asked to).
//
//   PartialOutput out;
//   if (!out.Claim("show.mp4", PartialOutput::File, force, &error)) ...   // checks first
//   ... write out.Path() ...
//   out.Commit(&error);   // or out.Discard(), which the destructor does when not committed
#pragma once
#include <cstdint>
#include <string>

class PartialOutput {
 public:
  enum Kind { File, Folder };

  PartialOutput() = default;
  ~PartialOutput() { Discard(); }
  PartialOutput(const PartialOutput&) = delete;
  PartialOutput& operator=(const PartialOutput&) = delete;

  // Checks that the output can be made (its folder exists and takes files; it does not exist
  // yet, or `replace` is set; a frames folder may exist empty) and creates the partial file
  // or folder. False with a one-line reason.
  bool Claim(const std::string& path, Kind kind, bool replace, std::string* error);
  // Where to write: the partial file, or the partial folder.
  const std::string& Path() const { return partial_; }
  // The output's absolute name.
  const std::string& Target() const { return target_; }
  // Puts the finished output in place. A frames folder receives the numbered pictures; those
  // of an earlier capture that this one does not overwrite are removed with them.
  bool Commit(std::string* error);
  // Removes everything written so far.
  void Discard();
  // Bytes in the output once committed (files of a folder added up).
  uint64_t Bytes() const;

 private:
  Kind kind_ = File;
  std::string target_, partial_;
  bool claimed_ = false;
};

// A picture name of a frames folder: six digits and ".png".
bool IsFrameFileName(const std::string& name);
