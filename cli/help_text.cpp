// The text of --help.
#include <string>

#include "cli/options.h"
#include "core/operation_keys.h"

namespace tarnwick::cli {

std::string HelpText() {
  using texts::kChooserEntries;
  std::string text =
      "Usage: tarnwick-batch --operation OP --output DIR [--find-what TEXT]\n"
      "                      [--replace-with TEXT]\n"
      "                      [--add-folder DIR [--extension EXT]]... [FILE...]\n"
      "       tarnwick-batch --help | --version\n"
      "\n"
      "Copies every listed file into the output folder under its own name and\n"
      "applies one operation to the copy, as \"Start Removing\" does in the\n"
      "Tarnwick window. An input file is rewritten only when the output folder\n"
      "is the folder that holds it. The window program's settings are neither\n"
      "read nor written.\n"
      "\n"
      "Options:\n"
      "  --operation OP       the operation, by chooser position or by name:\n";
  for (std::size_t i = 0; i < kChooserEntries.size(); ++i) {
    const std::string position = std::to_string(i);
    std::string line = "                       " +
                       std::string(2 - position.size(), ' ') + position + "  " +
                       std::string(OperationName(static_cast<int>(i)));
    line.resize(52, ' ');
    line += std::string_view(kChooserEntries[i]) == "-" ? std::string("(files are only copied)")
                                      : std::string(kChooserEntries[i]);
    text += line + "\n";
  }
  text +=
      "  --output DIR         the output folder; it must exist\n"
      "  --find-what TEXT     remove-x: the text to remove;\n"
      "                       find-and-replace: the text to find\n"
      "  --replace-with TEXT  find-and-replace: the text to put in its place\n"
      "                       In both texts a line break (LF or CR LF) separates\n"
      "                       lines and \"<tab>\" stands for a TAB. remove-x\n"
      "                       removes every line of --find-what wherever it\n"
      "                       occurs. find-and-replace replaces line 1 of\n"
      "                       --find-what by line 1 of --replace-with, then\n"
      "                       line 2 by line 2, and so on; both texts must have\n"
      "                       the same number of lines, and an empty line in\n"
      "                       --replace-with removes its find line. An empty\n"
      "                       --replace-with has no lines at all: to remove a\n"
      "                       one-line text, use --operation remove-x.\n"
      "                       The same texts serve every file.\n"
      "  --add-folder DIR     adds the files of DIR and of all its subfolders,\n"
      "                       however deep, as \"Add All File(s) In Folder\"\n"
      "                       does: the folder first, then its subfolders level\n"
      "                       by level, names sorted without regard to case;\n"
      "                       names beginning with \"~\" and hidden (dot) files\n"
      "                       that are not read-only are left out\n"
      "  --extension EXT      for the --add-folder it follows: add only the\n"
      "                       files matching \"*.\" EXT (letters compared\n"
      "                       without regard to case); the default * adds\n"
      "                       every file; txt adds *.txt\n"
      "  --                   ends the options: every later argument is a FILE,\n"
      "                       also one that begins with \"-\"\n"
      "  -h, --help           shows this text\n"
      "  --version            shows the program's name and version\n"
      "  FILE                 a file, appended to the list as given\n"
      "\n"
      "Options may also be written --name=VALUE. A value given as the next\n"
      "argument is taken whatever it begins with (--find-what -x works).\n"
      "The list is built in argument order: files and folders are appended as\n"
      "they come, and the files are processed from the first to the last. Two\n"
      "files with the same name give one output file, which keeps the later\n"
      "one's result; a note on standard error says so when it happens. No\n"
      "entry ever writes over another file of the list (or this run's result\n"
      "for one): such an entry fails and nothing is written for it.\n"
      "\n"
      "A file is rewritten in place only when the output folder is its own\n"
      "folder; the same file reached through a link from another folder is\n"
      "refused, and nothing is written through a link to a missing file. A\n"
      "file whose content would not change is left untouched. A rewritten\n"
      "file is a new file in the old one's place (as with sed -i): its\n"
      "permission bits, owner, group and extended attributes are kept as far\n"
      "as the system allows, but other hard links to it keep the old content.\n"
      "\n"
      "On a terminal one line shows the progress; otherwise nothing is printed\n"
      "but notes and the reports of failures (standard error) and \"Done.\"\n"
      "(standard output). A file that fails is reported and the run goes on.\n"
      "\n"
      "Exit status:\n"
      "  0  every file was copied and processed\n"
      "  1  some file failed (each failure is reported on standard error), or\n"
      "     standard output or standard error could not be written\n"
      "  2  usage error, or nothing was done: no files, a missing output or\n"
      "     --add-folder folder, or texts with different numbers of lines\n"
      "  128 + N  stopped by signal N (130 for Ctrl-C), also during the last\n"
      "     file: the file in hand is finished first, the rest are left alone\n"
      "     and no file is half written; a second Ctrl-C stops at once, which\n"
      "     may leave a temporary file .NAME.tarnwick-XXXXXXXX beside the\n"
      "     file NAME in hand\n"
      "\n"
      "Examples:\n"
      "  tarnwick-batch --operation remove-all-tabs --output out \\\n"
      "      notes.txt --add-folder docs --extension txt\n"
      "  tarnwick-batch --operation remove-x --find-what '<tab>' --output out \\\n"
      "      -- -draft.txt\n"
      "  tarnwick-batch --operation find-and-replace --output out \\\n"
      "      --find-what $'colour\\nflavour' --replace-with $'color\\nflavor' \\\n"
      "      --add-folder letters\n";
  return text;
}

}  // namespace tarnwick::cli
