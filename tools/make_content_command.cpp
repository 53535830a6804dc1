#include "make_content_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "command_line.h"
#include "content/content.h"
#include "content/icon.h"

namespace fs = std::filesystem;

static const ToolCommand kMakeContentCommand{
    "make-content", "DIR [--contact-sheet OUT.png] [--force]",
    "Writes the whole content pack (music, pictures, scenes, textures) into DIR, made if needed.\n"
    "  --contact-sheet OUT.png  also one PNG showing every picture of the pack\n"
    "  --force                  write even into a folder that holds other files, or into /\n"};
static const ToolCommand kMakeIconCommand{
    "make-icon", "SIZE OUT.png",
    "Draws the desktop icon, SIZE x SIZE pixels (16 to 1024), as a PNG with transparency.\n"};

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// What an earlier pack leaves in a folder: its four folders of music, pictures and scenes,
// and the build's mark that it is complete.
bool PackFolder(const std::string& name) {
  return name == "Music" || name == "Images" || name == "Textures" || name == "Scenes";
}

bool PackFile(const fs::path& file) {
  const std::string extension = Lower(file.extension().string());
  return extension == ".xm" || extension == ".pcx" || extension == ".bmp" || extension == ".3ds";
}

}  // namespace

std::string ContentFolderObjection(const std::string& dir) {
  std::error_code ec;
  const fs::path path = fs::weakly_canonical(fs::absolute(dir, ec), ec);
  if (!ec && path == path.root_path()) return "refusing to write the pack into " + path.string();
  if (!fs::exists(dir, ec)) return "";
  if (!fs::is_directory(dir, ec)) return dir + " is not a folder";
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name == ".complete" && entry.is_regular_file(ec)) continue;
    if (!PackFolder(name) || !entry.is_directory(ec)) return dir + " holds other files (" + name + ")";
    for (const fs::directory_entry& inner : fs::recursive_directory_iterator(entry.path(), ec))
      if (!inner.is_directory(ec) && !PackFile(inner.path()))
        return dir + " holds other files (" + fs::relative(inner.path(), dir, ec).string() + ")";
  }
  if (ec) return "cannot look into " + dir + ": " + ec.message();
  return "";
}

int RunMakeContentCommand(int argc, char** argv) {
  std::string dir, sheet;
  bool force = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (IsHelp(arg)) return kMakeContentCommand.Help();
    if (arg == "--contact-sheet") {
      const char* value = kMakeContentCommand.Value(i, argc, argv);
      if (!value) return kMakeContentCommand.UsageError("--contact-sheet needs a file name");
      sheet = value;
    } else if (arg == "--force") {
      force = true;
    } else if (IsOption(arg)) {
      return kMakeContentCommand.UnknownOption(arg);
    } else if (dir.empty()) {
      dir = arg;
    } else {
      return kMakeContentCommand.UsageError("unexpected argument " + arg);
    }
  }
  if (dir.empty()) return kMakeContentCommand.UsageError("missing the folder to write into");
  if (!force) {
    const std::string objection = ContentFolderObjection(dir);
    if (!objection.empty()) {
      std::fprintf(stderr, "tavrine-tool make-content: %s; choose an empty folder, or add --force\n", objection.c_str());
      return 1;
    }
  }
  std::string error;
  if (!MakeContent(dir, &error) || (!sheet.empty() && !WriteContactSheet(dir, sheet, &error))) {
    std::fprintf(stderr, "tavrine-tool make-content: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int RunMakeIconCommand(int argc, char** argv) {
  std::string sizeText, out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (IsHelp(arg)) return kMakeIconCommand.Help();
    if (IsOption(arg)) return kMakeIconCommand.UnknownOption(arg);
    if (sizeText.empty()) {
      sizeText = arg;
    } else if (out.empty()) {
      out = arg;
    } else {
      return kMakeIconCommand.UsageError("unexpected argument " + arg);
    }
  }
  if (out.empty()) return kMakeIconCommand.UsageError("missing arguments");
  long size = 0;
  if (!ParseInteger(sizeText, &size) || size < 16 || size > 1024)
    return kMakeIconCommand.UsageError("the size must be a whole number from 16 to 1024: " + sizeText);
  std::string error;
  if (!WriteIconFile(out, static_cast<int>(size), &error)) {
    std::fprintf(stderr, "tavrine-tool make-icon: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
