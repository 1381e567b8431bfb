#include "news/news1.h"

#include <unordered_set>
#include <utility>

#include "news/feed_headlines.h"
#include "news/news_headlines.h"
#include "platform/files.h"
#include "platform/quietly.h"
#include "texts/texts.h"

namespace vexo {

namespace {

constexpr Colour kRed = 0xFF0000;
constexpr Colour kNavy = 0x000080;
constexpr Colour kWhite = 0xFFFFFF;
// Borderless: twenty whole rows of 16 pixels and a sliver of the next.
constexpr int kGridWidth = 532;
constexpr int kGridHeight = 323;
constexpr int kFirstPageRows = 20;

}  // namespace

Tnews::Tnews(NewsServices services)
    : services_(std::move(services)),
      Tsys(services_.timers ? *services_.timers : idle_timers_, kNewsAbortMs, false),
      categories_{&Spt1, &Spt2, &Spt3, &Spt4, &Spt5, &Spt6, &Spt7, &Spt8},
      paging_{&Spn1, &Spn2, &Spn3, &Spn4} {
  const NewsTexts& t = GetNewsTexts();
  window.SetColor(kWhite);
  window.SetFontColor(kNavy);
  caption.SetCaption(t.caption);
  cap.SetFontColor(kRed);
  for (int i = 0; i < kCategories; ++i)
    categories_[static_cast<std::size_t>(i)]->SetCaption(
        t.category_buttons[static_cast<std::size_t>(i)]);
  for (std::size_t i = 0; i < paging_.size(); ++i) {
    paging_[i]->SetCaption(t.paging_captions[i]);
    paging_[i]->SetHint(t.paging_hints[i]);
  }
  Stgd.SetHint(t.grid_hint);
  Stgd.SetWidth(kGridWidth);
  Stgd.SetHeight(kGridHeight);
  // The buttons follow the grid's painting, which follows every change.
  Stgd.changed.Connect([this] { StgdDrawCell(); });
  Tsys.OnTimer = [this] { TsysTimer(); };
  StgdDrawCell();
}

Tnews::~Tnews() {
  FormDestroy();
}

// ---- Life of the window ----

void Tnews::FormCreate() {
  Quietly([&] {
    Stgd.SetColWidth(0, 21);
    Stgd.SetColWidth(1, 498);
    Stgd.SetColWidth(2, 0);
    category = 1;
    StartCategory();
  });
}

void Tnews::FormShow() {
  // The view puts its selection on the hidden link column of row 0.
  Stgd.SetRow(0);
}

void Tnews::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  LeaveCategory();
}

SpeedButton* Tnews::CategoryButton(int n) {
  return (n >= 1 && n <= kCategories) ? categories_[static_cast<std::size_t>(n - 1)] : nullptr;
}

SpeedButton* Tnews::PagingButton(int n) {
  return (n >= 1 && n <= 4) ? paging_[static_cast<std::size_t>(n - 1)] : nullptr;
}

void Tnews::SetCategoryButtonsEnabled(bool on) {
  for (SpeedButton* b : categories_) b->SetEnabled(on);
}

void Tnews::CategoryClick(int n) {
  SpeedButton* button = CategoryButton(n);
  if (!button || !button->Enabled() || destroyed_) return;
  Quietly([&] {
    LeaveCategory();
    category = static_cast<std::uint8_t>(n);
    StartCategory();
  });
}

// ---- Title files ----

// Without a program folder nothing is read or written (never the working
// folder).
bool Tnews::HasFolder() const {
  return !services_.program_folder.empty();
}

std::string Tnews::TempFolder() const {
  return services_.program_folder + "Temp";
}

std::string Tnews::LastVisitFile(int n) const {
  return TempFolder() + "/news" + IntToText(n);
}

std::string Tnews::EarlierVisitFile(int n) const {
  return LastVisitFile(n) + "2";
}

void Tnews::MarkSeen(const StringList& seen) {
  std::unordered_set<Bytes> folded;
  for (const Bytes& line : seen) folded.insert(Lower(line));
  const Bytes& star = GetNewsTexts().star;
  for (int r = 0; r + 1 < Stgd.RowCount(); ++r)
    if (folded.count(Lower(Stgd.Cell(1, r)))) Stgd.SetCell(0, r, star);
}

// ---- Fetching ----

void Tnews::StartCategory() {
  Quietly([&] {
    Stgd.Clear();
    Stgd.SetRowCount(1);
    Stgd.SetTopRow(0);
    Stgd.SetRow(0);
    SetCategoryButtonsEnabled(false);
    Stgd.SetCell(1, 0, GetNewsTexts().waiting);
    // A timer already on keeps its period: a fetch started soon after the
    // previous one ends with that one's period.
    Tsys.SetEnabled(true);
    const int n = category >= 1 && category <= kCategories ? category : 1;
    cap.SetCaption(GetNewsTexts().category_captions[static_cast<std::size_t>(n - 1)]);
    waiting_.clear();
    // The feeds leave places of a category empty.
    for (int i = 1; i <= kSourcesPerCategory; ++i)
      if (!services_.sources.At(n, i).empty()) waiting_.push_back(i);
    StartWaiting();
  });
  // A category without a single address is over at once.
  if (!Fetching()) FinishFetch();
}

// Starts, in order, the waiting sources whose host has a connection to spare;
// the others start as the host's requests end.
void Tnews::StartWaiting() {
  const int n = category >= 1 && category <= kCategories ? category : 1;
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    const int i = *it;
    const Bytes address = services_.sources.At(n, i);
    if (courtesy_.Connections(address) >= HostCourtesy::kMaxConnections) {
      ++it;
      continue;
    }
    it = waiting_.erase(it);
    ClientPool::Request& request = clients_.Make(address, i);
    HttpClient& client = *request.client;
    if (services_.sources.IsFeed(n, i)) ReadWhole(request);
    courtesy_.Started(address, 0);
    // A client that cannot start stays listed until the abort timer cancels
    // it; the sources after it are not fetched.
    if (!Quietly([&] { client.StartGet(); })) {
      waiting_.clear();
      return;
    }
  }
}

void Tnews::ReadWhole(ClientPool::Request& request) {
  request.gathersWhole = true;
  HttpClient& client = *request.client;
  client.Agent = services_.user_agent;
  client.Accept = "application/rss+xml, application/atom+xml, application/xml;q=0.9, */*;q=0.8";
  client.AcceptCompressed = true;
  client.ExtraHeaders.push_back("Accept-Language: zh-CN,zh;q=0.9");
}

void Tnews::AddRows(const std::vector<Headline>& headlines) {
  for (const Headline& h : headlines) {
    const int last = Stgd.RowCount() - 1;
    Stgd.SetCell(1, last, h.caption);
    Stgd.SetCell(2, last, h.link);
    Stgd.SetRowCount(last + 2);
  }
}

void Tnews::NewsDocData(HttpClient& client, const char* piece, int length) {
  Quietly([&] {
    ClientPool::Request* r = clients_.RequestOf(client);
    if (r && r->gathersWhole) {
      // The client stops at its body cap, so the gathered feed stays bounded.
      if (piece && length > 0 && client.StatusCode() == 200)
        r->body.append(piece, static_cast<std::size_t>(length));
      return;
    }
    if (!piece || length < 10 || client.StatusCode() != 200) return;
    const Bytes page = r ? r->address : client.URL;
    AddRows(ExtractHeadlines(std::string_view(piece, static_cast<std::size_t>(length)), page));
  });
}

void Tnews::NewsRequestDone(HttpClient& client) {
  Quietly([&] {
    const ClientPool::Request* r = clients_.RequestOf(client);
    // A client of no fetch of ours: a left category's are destroyed unheard.
    if (!r) return;
    if (r->gathersWhole && client.StatusCode() == 200)
      AddRows(FeedHeadlines(r->body, client.ReceivedHeaderLines(), r->address));
    courtesy_.Ended(r->address);
    // The client copied its handler before calling it, so it may go now.
    clients_.Release(client);
    StartWaiting();
    if (!Fetching()) FinishFetch();
  });
}

// Stars the rows seen on earlier visits and frees the category buttons.
void Tnews::FinishFetch() {
  Quietly([&] {
    if (!HasFolder()) {
      SetCategoryButtonsEnabled(true);
      return;
    }

    StringList seen;
    if (FileExists(EarlierVisitFile(category)) && LoadLines(EarlierVisitFile(category), seen))
      MarkSeen(seen);
    seen.clear();
    if (FileExists(LastVisitFile(category)) && LoadLines(LastVisitFile(category), seen)) {
      MarkSeen(seen);
      CreateDir(TempFolder());
      SaveLines(EarlierVisitFile(category), seen);
    }
    SetCategoryButtonsEnabled(true);
  });
}

void Tnews::LeaveCategory() {
  Quietly([&] {
    const bool unfinished = Fetching();
    // No OnRequestDone follows the destruction of a running client.
    clients_.ReleaseAll();
    waiting_.clear();
    courtesy_ = HostCourtesy(0);
    if (!HasFolder()) return;
    CreateDir(TempFolder());
    // A fetch cut short never moved the last visit to the earlier one; do it
    // now, so that the captions of that visit are not overwritten unseen.
    if (unfinished && FileExists(LastVisitFile(category))) {
      StringList last;
      if (LoadLines(LastVisitFile(category), last)) SaveLines(EarlierVisitFile(category), last);
    }
    SaveLines(LastVisitFile(category), Stgd.Column(1));
  });
}

void Tnews::TsysTimer() {
  Tsys.SetEnabled(false);
  // What has not started by now is not fetched.
  waiting_.clear();
  // A cancel may report at once and change the list: the list as it is now.
  for (HttpClient* client : clients_.Running()) Quietly([&] { client->Cancel(); });
}

// ---- Opening and paging ----

void Tnews::OpenCurrentRow() {
  Quietly([&] {
    const int row = Stgd.Row();
    const Bytes link = Stgd.Cell(2, row);
    Stgd.SetCell(0, row, GetNewsTexts().star);
    if (services_.browser && !link.empty()) services_.browser->OpenAddress(link);
  });
}

void Tnews::StgdDblClick() {
  OpenCurrentRow();
}

void Tnews::StgdKeyPress(char key) {
  if (key == '\r') OpenCurrentRow();
}

void Tnews::StgdDrawCell() {
  const int top = Stgd.TopRow();
  const int rows = Stgd.RowCount();
  const int h = Stgd.VisibleRows();
  Spn1.SetVisible(top != 0);
  Spn2.SetVisible(top != 0);
  const bool more = !(rows < kFirstPageRows || top == rows - h + 1);
  Spn3.SetVisible(more);
  Spn4.SetVisible(more);
}

void Tnews::ShowPage(int top) {
  Stgd.SetTopRow(top);
  Stgd.SetRow(Stgd.TopRow());
}

void Tnews::Spn1Click() {
  ShowPage(0);
}

void Tnews::Spn2Click() {
  const int top = Stgd.TopRow();
  const int h = Stgd.VisibleRows();
  ShowPage(top > h - 1 ? top - (h - 1) : 0);
}

void Tnews::Spn3Click() {
  const int top = Stgd.TopRow();
  const int h = Stgd.VisibleRows();
  const int rows = Stgd.RowCount();
  ShowPage(rows - top > 2 * h - 1 ? top + h - 1 : rows - h + 1);
}

void Tnews::Spn4Click() {
  ShowPage(Stgd.RowCount() - Stgd.VisibleRows() + 1);
}

}  // namespace vexo
