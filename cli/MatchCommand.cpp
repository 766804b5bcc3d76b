// "orvale match": the query program's "Match Specifications" without windows.
// The specifications are filled as the pages would fill them: ligands and
// references by record number, metals by metal number (or any metal ion),
// the experimental details as the details page's controls.
#include "MatchCommand.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

#include "talvex/app/UseDatabase.h"
#include "talvex/match/Prf_Code.h"

namespace orvale {

namespace {

using namespace talvex;

void usage() {
  std::fputs(
      "usage: orvale match --db START_DIR [--edition full|mini]\n"
      "                    [--ligand N[,N...]] [--metal N[,N...] | --any-metal] [--reference N[,N...]]\n"
      "                    [--year-range LOW-HIGH]\n"
      "                    [--method 1-13] [--medium 1-13] [--conc TEXT] [--calib any|unkn|conc|activ]\n"
      "                    [--temp-kind exact|approx|low|high] [--temp-lo T] [--temp-hi T]\n"
      "                    [--constant K1|K2|B2] [--const-kind exact|approx|low|high] [--const-lo V] [--const-hi V]\n"
      "                    [--comment TEXT] [--flag 1-4] [--iupac-recommended] [--iupac-provisional]\n"
      "  ligands and references by record number, metals by metal number (0 = H+, 1 = D+);\n"
      "  method and medium by their entry in the details page's lists (medium 13 = any aqueous);\n"
      "  the approx forms take the centre in --*-lo and the half-width in --*-hi.\n"
      "  Prints the specification summary with the predicted list length, then the\n"
      "  experiment record numbers in list order, one per line.\n",
      stderr);
}

int fail(const std::string& message) {
  std::fprintf(stderr, "orvale match: %s\n", message.c_str());
  return 2;
}

// Messages to stderr; questions answered No.
struct CliDialogs : platform::Dialogs {
  void inform(std::string_view text, platform::Severity) override {
    std::string t(text);
    for (auto p = t.find("\r\n"); p != std::string::npos; p = t.find("\r\n", p)) t.replace(p, 2, "\n");
    while (!t.empty() && t.back() == '\n') t.pop_back();
    std::fprintf(stderr, "%s\n", t.c_str());
  }
  bool confirm(std::string_view) override { return false; }
  platform::Answer ask3(std::string_view) override { return platform::Answer::Cancel; }
  void yieldToUi() override {}
};

bool toInt(const std::string& s, int& v) {
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool numbers(const std::string& text, std::vector<int>& out) {
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto comma = text.find(',', start);
    const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    int v = 0;
    if (!toInt(part, v)) return false;
    out.push_back(v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

bool rangeKind(const std::string& s, spec::RangeKind& k) {
  if (s == "exact") k = spec::RangeKind::Exact;
  else if (s == "approx") k = spec::RangeKind::Approximate;
  else if (s == "low") k = spec::RangeKind::Low;
  else if (s == "high") k = spec::RangeKind::High;
  else return false;
  return true;
}

std::string unixLines(std::string t) {
  for (auto p = t.find("\r\n"); p != std::string::npos; p = t.find("\r\n", p)) t.replace(p, 2, "\n");
  return t;
}

}  // namespace

int runMatch(const std::vector<std::string>& args) {
  std::string startDir;
  db::Edition edition = db::Edition::Full;
  std::vector<int> ligands, metals, references;
  bool anyMetal = false;
  std::string yearRange;
  spec::DetailsPage page;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    int n = 0;
    if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else if (a == "--db") {
      if (!value(startDir)) return fail("--db needs a folder");
    } else if (a == "--edition") {
      if (!value(v) || (v != "full" && v != "mini")) return fail("--edition is full or mini");
      edition = v == "full" ? db::Edition::Full : db::Edition::Mini;
    } else if (a == "--ligand") {
      if (!value(v) || !numbers(v, ligands)) return fail("--ligand needs record numbers");
    } else if (a == "--metal") {
      if (!value(v) || !numbers(v, metals)) return fail("--metal needs metal numbers");
    } else if (a == "--any-metal") {
      anyMetal = true;
    } else if (a == "--reference") {
      if (!value(v) || !numbers(v, references)) return fail("--reference needs record numbers");
    } else if (a == "--year-range") {
      if (!value(yearRange)) return fail("--year-range needs LOW-HIGH");
    } else if (a == "--method") {
      if (!value(v) || !toInt(v, n) || n < 0 || n > 13) return fail("--method is an entry from 1 to 13");
      page.methodEntry = n;
    } else if (a == "--medium") {
      if (!value(v) || !toInt(v, n) || n < 0 || n > 13) return fail("--medium is an entry from 1 to 13");
      page.mediumEntry = n;
    } else if (a == "--conc") {
      if (!value(page.concText)) return fail("--conc needs a text");
    } else if (a == "--calib") {
      if (!value(v)) return fail("--calib needs a value");
      if (v == "any") page.calibration = 0;
      else if (v == "unkn") page.calibration = 1;
      else if (v == "conc") page.calibration = 2;
      else if (v == "activ") page.calibration = 3;
      else return fail("--calib is any, unkn, conc or activ");
    } else if (a == "--temp-kind") {
      if (!value(v) || !rangeKind(v, page.tempKind)) return fail("--temp-kind is exact, approx, low or high");
    } else if (a == "--temp-lo") {
      if (!value(page.loTempText)) return fail("--temp-lo needs a value");
    } else if (a == "--temp-hi") {
      if (!value(page.hiTempText)) return fail("--temp-hi needs a value");
    } else if (a == "--constant") {
      if (!value(v) || (v != "K1" && v != "K2" && v != "B2")) return fail("--constant is K1, K2 or B2");
      page.constantName = v == "K1" ? 1 : v == "K2" ? 2 : 3;
    } else if (a == "--const-kind") {
      if (!value(v) || !rangeKind(v, page.constKind)) return fail("--const-kind is exact, approx, low or high");
    } else if (a == "--const-lo") {
      if (!value(page.loConstText)) return fail("--const-lo needs a value");
    } else if (a == "--const-hi") {
      if (!value(page.hiConstText)) return fail("--const-hi needs a value");
    } else if (a == "--comment") {
      if (!value(page.comment)) return fail("--comment needs a text");
    } else if (a == "--flag") {
      if (!value(v) || !toInt(v, n) || n < 1 || n > 4) return fail("--flag is 1, 2, 3 or 4");
      page.flags[n - 1] = true;
    } else if (a == "--iupac-recommended") {
      page.iupacRecommended = true;
    } else if (a == "--iupac-provisional") {
      page.iupacProvisional = true;
    } else {
      usage();
      return fail("unknown option \"" + a + "\"");
    }
  }
  if (startDir.empty()) {
    usage();
    return fail("--db START_DIR is required");
  }
  if (!metals.empty() && anyMetal) return fail("--metal and --any-metal exclude each other");
  if (page.constantName == 0 && (page.constKind != spec::RangeKind::None || !page.loConstText.empty() ||
                                 !page.hiConstText.empty()))
    return fail("a constant range needs --constant");
  if (startDir.back() != '/') startDir += '/';

  // A settings file of its own, so that the user's is left alone.
  const auto settings = std::filesystem::temp_directory_path() / ("orvale-match-" + std::to_string(::getpid()) + ".ini");
  CliDialogs dialogs;
  db::SilentIndexProgress progress;
  app::StartupState state;
  db::Database database;
  app::initStartup(state, edition, startDir, "help", settings.string(), dialogs);
  const auto opened = app::useDatabase(state, database, progress, dialogs, app::SystemLocale{});
  std::error_code ignored;
  std::filesystem::remove(settings, ignored);
  if (opened != app::UseDatabaseResult::Ready) return fail("the database in " + startDir + " cannot be used");

  QueryState q;
  q.attach(state, database);
  q.QuietMode = true;
  for (int r : ligands) {
    if (r < 1 || r > state.LigandCount) return fail("no ligand record " + std::to_string(r));
    if (!spec::addLigandRecord(q, database, r, dialogs) && edition == db::Edition::Full && !q.ligands.contains(r))
      std::fprintf(stderr, "orvale match: ligand %d is cited by no experiment and is not listed\n", r);
  }
  for (int m : metals)
    if (m < 0 || m + 1 > state.MetalCount || !spec::addMetalRecord(q, database, m))
      return fail("no metal number " + std::to_string(m));
  q.AnyMetalIon = anyMetal;
  if (!references.empty() && edition != db::Edition::Full) return fail("the mini edition has no references");
  for (int r : references)
    if (r < 1 || r > state.ReferenceCount || !spec::addReferenceRecord(q, database, r, dialogs))
      return fail("no reference record " + std::to_string(r));
  if (!yearRange.empty()) {
    const auto dash = yearRange.find('-');
    int lo = 0, hi = 0;
    if (dash == std::string::npos) {
      if (!toInt(yearRange, lo)) return fail("--year-range is LOW-HIGH or one year");
      hi = lo;
    } else if (!toInt(yearRange.substr(0, dash), lo) || !toInt(yearRange.substr(dash + 1), hi)) {
      return fail("--year-range is LOW-HIGH or one year");
    }
    if (lo > hi) std::swap(lo, hi);
    q.yearRange = {true, lo, hi, lo == hi ? std::to_string(lo) : std::to_string(lo) + "-" + std::to_string(hi)};
  }
  q.QuietMode = false;
  std::string error;
  if (!match::detailsPageLeft(q, page, &error) && !error.empty()) return fail(error);

  match::refreshSummary(q);
  std::fputs(unixLines(q.SpecSummary).c_str(), stdout);
  std::fputs("\n", stdout);

  const match::MatchResult r = match::matchSpecifications(q, dialogs);
  if (r == match::MatchResult::Failed) return 1;
  for (const auto e : q.experiments.entries) std::printf("%d\n", static_cast<int>(e));
  return 0;
}

}  // namespace orvale
