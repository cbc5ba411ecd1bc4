#include "harvest/harvest.h"

#include <algorithm>
#include <utility>

#include "harvest/texts.h"
#include "net/fetch.h"

namespace velmora::harvest {

namespace {

using text::concat_text;
using text::number_to_text;
using text::split_text;
using text::Text;
using text::TextList;

// A share id as a message shows it: a hostile page can make one as long as the page itself.
// Cut at a character start, so the message stays readable GBK.
Text shown_share_id(std::string_view id) {
  constexpr std::size_t kShownBytes = 40;
  if (id.size() <= kShownBytes) return Text(id);
  std::size_t end = 0;
  while (end < id.size()) {
    const std::size_t step = static_cast<unsigned char>(id[end]) >= 0x80 ? 2 : 1;
    if (end + step > kShownBytes) break;
    end += step;
  }
  return concat_text(id.substr(0, end), std::string_view("..."));
}

std::string describe_stop(HarvestStop::Phase phase, std::int32_t share_number,
                          std::string_view share_id, std::string_view detail) {
  std::string what = phase == HarvestStop::Phase::listing
                         ? "harvest stopped while listing the shares"
                         : "harvest stopped while analysing the links";
  if (share_number > 0) {
    what += ", at share " + std::to_string(share_number) + " of this run";
    if (!share_id.empty()) what += " (id " + shown_share_id(share_id) + ")";
  }
  what += ": ";
  what += detail;
  return what;
}

// Member k of a list that a step must read. A missing one ends the harvest: make_stop turns the
// list's own account of what was missing into the stop.
template <class MakeStop>
std::string_view required_member(const TextList& list, std::int32_t k, MakeStop&& make_stop) {
  try {
    return list.member(k);
  } catch (const text::MissingMember& missing) {
    throw make_stop(std::string(missing.what()));
  }
}

}  // namespace

std::string_view service_host() {
  return VELMORA_SERVICE_HOST;
}

PageFetchers PageFetchers::network() {
  return PageFetchers{[](std::string_view address) { return net::fetch_page_bytes(address); },
                      [](std::string_view address) { return net::fetch_page_text(address); }};
}

HarvestStop::HarvestStop(Phase phase, Missing missing, std::int32_t share_number,
                         std::string share_id, std::string detail, text::Text user_detail)
    : std::runtime_error(describe_stop(phase, share_number, share_id, detail)),
      phase_(phase),
      missing_(missing),
      share_number_(share_number),
      share_id_(std::move(share_id)),
      user_detail_(std::move(user_detail)) {}

text::Text HarvestStop::user_message() const {
  Text message(phase_ == Phase::listing ? texts::kStopWhileListing : texts::kStopWhileAnalysing);
  std::string_view detail = user_detail_;
  if (detail.empty()) {
    switch (missing_) {
      case Missing::user_key:
        detail = texts::kStopNoKey;
        break;
      case Missing::share_list:
        detail = texts::kStopNoShares;
        break;
      case Missing::share_id:
        detail = texts::kStopNoShareId;
        break;
      case Missing::file_name:
        detail = texts::kStopNoFileName;
        break;
      case Missing::link:
        detail = texts::kStopNoLinkMarker;
        break;
    }
  }
  const bool about_one_share =
      missing_ == Missing::share_id || missing_ == Missing::file_name || missing_ == Missing::link;
  if (about_one_share) {
    if (share_number_ < 1) {
      // Nothing to say which share; the sentences below only read after a share's name.
      message += texts::kStopGeneric;
      return message;
    }
    if (phase_ == Phase::listing) message += texts::kStopShareOnHomePage;
    message += concat_text(texts::kStopShareNumberBefore, number_to_text(share_number_),
                           texts::kStopShareNumberAfter);
    if (phase_ == Phase::analysis && !share_id_.empty()) {
      message += concat_text(texts::kStopShareIdBefore, shown_share_id(share_id_),
                             texts::kStopShareIdAfter);
    }
  }
  message += detail;
  if (about_one_share) message += texts::kStopKept;
  return message;
}

Harvest::Harvest(HarvestState& state, HarvestView& view, PageFetchers fetchers, std::string host)
    : state_(state), view_(view), fetchers_(std::move(fetchers)), host_(std::move(host)) {}

void Harvest::extract_addresses() {
  list_shares();
  analyse_shares();
}

void Harvest::list_shares() {
  using Phase = HarvestStop::Phase;
  using Missing = HarvestStop::Missing;

  // The key is whatever follows the first "uk=", up to a second one; scheme, host and path of
  // the entered address are not used.
  const Text address = view_.read_address();
  TextList address_pieces = split_text(address, texts::kUserKeyMarker);
  address_pieces.set_label("address pieces at \"uk=\"");
  const std::string_view key = required_member(address_pieces, 2, [](std::string reason) {
    return HarvestStop(Phase::listing, Missing::user_key, 0, {},
                       "the address holds no \"uk=\" or nothing after it (" + reason + ")");
  });
  state_.user_key = Text(key);
  // The ids this listing appends go with this key; the analysis reads only those.
  state_.first_id_of_latest_run = state_.share_ids.count() + 1;

  view_.set_status_line(1, texts::kStatusReading);
  const Text home_address =
      concat_text(texts::kScheme, host_, texts::kShareHomePath, state_.user_key);
  const Text page = text::bytes_to_text(fetchers_.fetch_page_bytes(home_address));

  // Piece 1 is what stands before the first marker; every later piece starts with one share's
  // id. The pieces are cut once and kept, so a page of many ids costs one pass.
  TextList pieces = split_text(page, texts::kShareIdMarker);
  pieces.set_label("share-home page pieces at \"shareId\\\"");
  const std::int32_t piece_count = pieces.count();

  // The text before the first comma of the piece that follows marker number share_number.
  auto id_piece_of = [&](std::int32_t share_number) {
    TextList before_comma =
        split_text(pieces.member(share_number + 1), texts::kShareIdEnd, /*max_count=*/1);
    before_comma.set_label("comma pieces of share-home page piece " +
                           std::to_string(share_number + 1));
    return Text(required_member(before_comma, 1, [share_number](std::string reason) {
      return HarvestStop(Phase::listing, Missing::share_id, share_number, {},
                         "nothing follows marker " + std::to_string(share_number) +
                             " of the share-home page before the next one (" + reason + ")");
    }));
  };

  // Nothing on the bar or the counter line changes before the first share is known to be there.
  required_member(pieces, 2, [&page](std::string reason) {
    return page.empty()
               ? HarvestStop(Phase::listing, Missing::share_list, 0, {},
                             "the share-home page is empty or could not be read (" + reason + ")",
                             Text(texts::kStopHomePageEmpty))
               : HarvestStop(Phase::listing, Missing::share_list, 0, {},
                             "the share-home page lists no share (" + reason + ")",
                             Text(texts::kStopNoShares));
  });
  id_piece_of(1);

  const std::int32_t share_count = piece_count - 1;
  view_.set_progress_maximum(share_count);
  view_.set_counter_text(concat_text(texts::kCounterTotal, number_to_text(view_.progress_maximum()),
                                     texts::kCounterUnit));
  for (std::int32_t i = 1; i <= share_count; ++i) {
    // The id is that text less the double quote and the colon that follow the marker.
    const Text id_piece = id_piece_of(i);
    state_.share_ids.append(text::text_right(id_piece, text::text_length(id_piece) - 2));
    // The bar runs one ahead of the pass: positions 2 to N + 1 against a maximum of N.
    view_.set_progress_position(i + 1);
    view_.set_counter_text(
        concat_text(texts::kCounterTotal, number_to_text(view_.progress_maximum()),
                    texts::kCounterRead, number_to_text(i), texts::kCounterPages));
  }
  // The stored position is limited to 32767, so a page of more ids leaves line 2 as it was.
  if (view_.progress_position() == piece_count) view_.set_status_line(2, texts::kStatusAnalysing);
}

void Harvest::analyse_shares() {
  using Phase = HarvestStop::Phase;
  using Missing = HarvestStop::Missing;

  const TextList& ids = state_.share_ids;
  const std::int32_t first = std::clamp(state_.first_id_of_latest_run, 1, ids.count() + 1);
  const std::int32_t share_count = ids.count() - first + 1;

  view_.set_progress_maximum(share_count);
  view_.set_progress_position(view_.progress_minimum());
  for (std::int32_t i = 1; i <= share_count; ++i) {
    const Text share_id(ids.member(first + i - 1));
    const Text link_address = concat_text(texts::kScheme, host_, texts::kShareLinkPath, share_id,
                                          texts::kShareLinkUserKey, state_.user_key);
    const Text page = fetchers_.fetch_page_text(link_address);

    auto stop = [&](Missing missing, std::string_view detail, std::string_view user_detail) {
      return [&, missing, detail, user_detail](std::string reason) {
        return HarvestStop(Phase::analysis, missing, i, share_id,
                           std::string(detail) + " (" + reason + ")", Text(user_detail));
      };
    };

    // The name: after the first file name marker, up to a second one or the first file size
    // marker. Only leading pieces are read, so each split ends after them.
    TextList before_size = split_text(page, texts::kFileSizeMarker, 1);
    before_size.set_label("link page pieces at the file size marker");
    const std::string_view name_area =
        required_member(before_size, 1,
                        stop(Missing::file_name, "the link page is empty or could not be read",
                             texts::kStopLinkPageEmpty));
    TextList name_pieces = split_text(name_area, texts::kFileNameMarker, 2);
    name_pieces.set_label("pieces at the file name marker of the text before the file size");
    const std::string_view name = required_member(
        name_pieces, 2,
        stop(Missing::file_name, "the link page has no file name", texts::kStopNoFileName));
    view_.add_file_name(name);

    // The link: an escaped string after "dlink\", between its second and third double quote,
    // ending in the backslash that escapes the closing quote; each slash is written "\\/".
    TextList link_pieces = split_text(page, texts::kLinkMarker, 2);
    link_pieces.set_label("link page pieces at \"dlink\\\"");
    const std::string_view link_area = required_member(
        link_pieces, 2,
        stop(Missing::link, "the link page has no download link", texts::kStopNoLinkMarker));
    TextList quoted = split_text(link_area, texts::kQuote, 3);
    quoted.set_label("pieces at the double quote after \"dlink\\\"");
    const std::string_view escaped =
        required_member(quoted, 3,
                        stop(Missing::link, "the download link is not in double quotes",
                             texts::kStopLinkNotQuoted));
    const Text unquoted = text::text_mid(escaped, 1, text::text_length(escaped) - 1);
    TextList slash_pieces = split_text(unquoted, texts::kEscapedSlashPrefix);
    slash_pieces.set_label("pieces of the download link at the double backslash");
    required_member(slash_pieces, 5,
                    stop(Missing::link, "the download link has fewer than four escaped slashes",
                         texts::kStopLinkTooShort));
    // Every piece, so a link with more slashes than a bare host and three folders stays whole.
    Text link;
    link.reserve(unquoted.size());
    for (std::int32_t k = 1; k <= slash_pieces.count(); ++k) link += slash_pieces.member(k);
    view_.add_link(link);

    view_.set_progress_position(i);
    view_.set_counter_text(
        concat_text(texts::kCounterTotal, number_to_text(view_.progress_maximum()),
                    texts::kCounterAnalysed, number_to_text(i), texts::kCounterPages));
  }
  view_.set_status_line(3, texts::kStatusDone);
}

}  // namespace velmora::harvest
