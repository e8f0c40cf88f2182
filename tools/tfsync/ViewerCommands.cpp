// What a user does in the handheld's viewer: list the records, enter a trade, change a
// record's category or private flag, delete a record. Every edit marks the record as
// changed, so the next HotSync takes it to the desktop.
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/synckit/FolderHandheld.h"
#include "tools/tfsync/Messages.h"
#include "tools/tfsync/Options.h"
#include "tools/tfsync/ViewerRecord.h"

namespace tfsync {

namespace {
using tf::synckit::HandheldDatabase;
using tf::synckit::StoredRecord;

constexpr const char* kUnfiled = "Unfiled";
// Categories made on the handheld take identifiers from here up, clear of the desktop's.
constexpr int kFirstHandheldCategoryId = 128;
constexpr std::size_t kSymbolWidth = 10;
constexpr std::size_t kCountryWidth = 20;
constexpr std::size_t kCategoryNameMax = 15;

// The slot of a category name, made on the handheld when it is new; -1 when all are used.
int CategorySlot(HandheldDatabase& db, const std::string& name)
{
    if (name.empty() || name == kUnfiled)
        return 0;
    ViewerCategories categories = DecodeViewerCategories(db.appInfo);
    if (!db.bHasAppInfo)
        categories.slots[0].name = kUnfiled;
    for (int slot = 0; slot < kViewerSlots; ++slot)
        if (categories.slots[slot].name == name)
            return slot;
    int id = kFirstHandheldCategoryId;
    for (const ViewerCategory& category : categories.slots)
        if (!category.name.empty() && category.id >= id)
            id = category.id + 1;
    for (int slot = 1; slot < kViewerSlots; ++slot) {
        if (!categories.slots[slot].name.empty())
            continue;
        categories.slots[slot].name = name;
        categories.slots[slot].id = static_cast<std::uint8_t>(id & 0xFF);
        db.appInfo = EncodeViewerCategories(categories);
        db.bHasAppInfo = true;
        return slot;
    }
    return -1;
}

std::string FlagsText(std::uint8_t flags)
{
    std::string text;
    if (flags & kSkRecordDeleted)
        text += " deleted";
    if (flags & kSkRecordDirty)
        text += " changed";
    if (flags & kSkRecordPrivate)
        text += " private";
    return text;
}

int List(HandheldDatabase& db)
{
    std::printf("Database %s: creator %s, type %s, %zu records\n", db.name.c_str(),
                tf::synckit::FourCharText(db.creator).c_str(),
                tf::synckit::FourCharText(db.type).c_str(), db.records.size());
    ViewerCategories categories = DecodeViewerCategories(db.appInfo);
    std::printf("Categories:%s\n", db.bHasAppInfo ? "" : " none");
    for (int slot = 0; slot < kViewerSlots && db.bHasAppInfo; ++slot)
        if (!categories.slots[slot].name.empty())
            std::printf("  %2d %-15s id %u\n", slot, categories.slots[slot].name.c_str(),
                        categories.slots[slot].id);
    std::printf("Records:\n");
    for (const StoredRecord& record : db.records) {
        ViewerTrade trade = DecodeViewerTrade(record.data);
        std::string category = categories.slots[record.category & 0x0F].name;
        if (record.category == 0 && category.empty())
            category = kUnfiled;
        if (trade.symbol == kViewerSummarySymbol) {
            std::printf("  #%u summary month=%s year=%s external=%s deduct=%d country=%s "
                        "attr=0x%02X%s\n",
                        record.uid, FormatNumber(trade.quantity).c_str(),
                        FormatNumber(trade.price).c_str(), FormatNumber(trade.lastPrice).c_str(),
                        trade.deductFee, trade.country.c_str(), record.flags,
                        FlagsText(record.flags).c_str());
            continue;
        }
        std::printf("  #%u %s quantity=%s price=%s last=%s change=%s fee=%s cost=%s "
                    "country=%s deduct=%d category=%u:%s attr=0x%02X%s\n",
                    record.uid, trade.symbol.c_str(), FormatNumber(trade.quantity).c_str(),
                    FormatNumber(trade.price).c_str(), FormatNumber(trade.lastPrice).c_str(),
                    FormatNumber(trade.dayChange).c_str(), FormatNumber(trade.brokerFee).c_str(),
                    FormatNumber(trade.costPrice).c_str(), trade.country.c_str(), trade.deductFee,
                    record.category, category.c_str(), record.flags,
                    FlagsText(record.flags).c_str());
    }
    return 0;
}

bool NumberOption(const COptions& options, const char* name, double& value, bool required)
{
    if (!options.Has(name))
        return !required;
    return ParseNumber(options.Get(name), value);
}

int Add(tf::synckit::CFolderHandheld& handheld, HandheldDatabase& db, const COptions& options)
{
    ViewerTrade trade;
    trade.symbol = options.Get("--symbol");
    trade.country = options.Get("--country", "United States");
    if (trade.symbol.empty() || trade.symbol.size() > kSymbolWidth)
        return Fail(1, "--symbol takes 1 to 10 characters");
    if (trade.symbol == kViewerSummarySymbol)
        return Fail(1, "that symbol is reserved for the summary record");
    if (trade.country.size() > kCountryWidth)
        return Fail(1, "--country takes at most 20 characters");
    if (!NumberOption(options, "--quantity", trade.quantity, true) ||
        !NumberOption(options, "--price", trade.price, true) ||
        !NumberOption(options, "--last", trade.lastPrice, false) ||
        !NumberOption(options, "--change", trade.dayChange, false) ||
        !NumberOption(options, "--fee", trade.brokerFee, false))
        return Fail(1, "--quantity and --price are needed; every amount is a number like 12.5");
    trade.costPrice = trade.price;
    std::string category = options.Get("--category", kUnfiled);
    if (category.size() > kCategoryNameMax)
        return Fail(1, "a category name takes at most 15 characters");
    int slot = CategorySlot(db, category);
    if (slot < 0)
        return Fail(1, "the handheld has no free category slot for " + category);
    StoredRecord record;
    record.uid = db.NewRecordId();
    if (record.uid == 0 || db.records.size() >= tf::synckit::kMaxRecordCount)
        return Fail(1, "the database is full");
    record.flags = kSkRecordDirty;
    if (options.Has("--private"))
        record.flags |= kSkRecordPrivate;
    record.category = static_cast<std::uint8_t>(slot);
    record.data = EncodeViewerTrade(trade);
    db.records.push_back(record);
    std::string error;
    if (handheld.StoreDatabase(db, &error) != kSkOk)
        return Fail(1, error);
    std::printf("Added record #%u\n", record.uid);
    return 0;
}

StoredRecord* RecordOption(HandheldDatabase& db, const COptions& options)
{
    long long uid = 0;
    if (!ParseWhole(options.Get("--uid"), uid) || uid <= 0 || uid > tf::synckit::kMaxRecordId)
        return nullptr;
    return db.FindRecord(static_cast<std::uint32_t>(uid));
}

int Edit(tf::synckit::CFolderHandheld& handheld, HandheldDatabase& db, const COptions& options)
{
    StoredRecord* record = RecordOption(db, options);
    if (!record)
        return Fail(1, "--uid must name a record of the database");
    if (options.Has("--private") && options.Has("--public"))
        return Fail(1, "--private and --public exclude each other");
    if (options.Has("--category")) {
        std::string category = options.Get("--category");
        if (category.size() > kCategoryNameMax)
            return Fail(1, "a category name takes at most 15 characters");
        int slot = CategorySlot(db, category);
        if (slot < 0)
            return Fail(1, "the handheld has no free category slot for " + category);
        record = RecordOption(db, options);
        record->category = static_cast<std::uint8_t>(slot);
    }
    if (options.Has("--private"))
        record->flags |= kSkRecordPrivate;
    if (options.Has("--public"))
        record->flags &= static_cast<std::uint8_t>(~kSkRecordPrivate);
    record->flags |= kSkRecordDirty;
    std::string error;
    if (handheld.StoreDatabase(db, &error) != kSkOk)
        return Fail(1, error);
    std::printf("Changed record #%u\n", record->uid);
    return 0;
}

int Delete(tf::synckit::CFolderHandheld& handheld, HandheldDatabase& db, const COptions& options)
{
    StoredRecord* record = RecordOption(db, options);
    if (!record)
        return Fail(1, "--uid must name a record of the database");
    // The record stays, marked, until the next HotSync purges it.
    record->flags |= kSkRecordDeleted | kSkRecordDirty;
    std::string error;
    if (handheld.StoreDatabase(db, &error) != kSkOk)
        return Fail(1, error);
    std::printf("Deleted record #%u\n", record->uid);
    return 0;
}
} // namespace

int RunHandheldCommand(const std::string& command, const COptions& options)
{
    if (command != "list" && command != "add" && command != "edit" && command != "delete") {
        return Fail(2, "unknown handheld command: " + command);
    }
    tf::synckit::CFolderHandheld handheld(options.Get("--handheld"));
    std::string name = options.Get("--db", kDefaultDatabase);
    HandheldDatabase db;
    std::string error;
    int status = handheld.LoadDatabase(name, db, &error);
    if (status == kSkErrNotFound && command == "add") {
        // Entering the first trade makes the viewer's database.
        db = HandheldDatabase{};
        db.name = name;
        if (!ParseCode(options.Get("--creator", kDefaultCreator), db.creator) ||
            !ParseCode(options.Get("--type", kDefaultType), db.type))
            return Fail(1, "creator and type codes have four characters");
        db.creationDate = db.modificationDate = tf::synckit::HandheldTime(std::time(nullptr));
    } else if (status == kSkErrNotFound) {
        return Fail(1, "the handheld has no database " + name);
    } else if (status != kSkOk) {
        return Fail(1, error);
    }
    if (command == "list")
        return List(db);
    if (command == "add")
        return Add(handheld, db, options);
    if (command == "edit")
        return Edit(handheld, db, options);
    return Delete(handheld, db, options);
}

} // namespace tfsync
