#include "posting/documentconter.h"

#include <tuple>

#include "host/common/captions.h"
#include "host/common/rounding.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "ledger/financialoptions.h"
#include "ledger/ledgercaptions.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"

namespace fin {

namespace {

const QString kPostedTypes = QStringLiteral("ACFGIKLMNQRSTUVWZ");
const QString kProductFamily = QStringLiteral("Proizvod");

bool OneOf(const QString& type, const char* letters) {
    return type.size() == 1 && QByteArray(letters).contains(type[0].toLatin1());
}

double Round2(double v) {
    return BetterRoundTo(v, -2);
}

// "18 or 20" is the general rate, "8 or 10" the special one.
const char* RateKind(double rate) {
    if (rate == 18 || rate == 20)
        return "Opsta";
    if (rate == 8 || rate == 10)
        return "Posebna";
    return nullptr;
}

// Whether the list names a variable; the conter builds names in their listed letter case.
bool Listed(const QString& body) {
    static const QSet<QString> names(DocumentFixedNames().names.begin(),
                                     DocumentFixedNames().names.end());
    return names.contains(QLatin1Char('[') + body + QLatin1Char(']'));
}

}  // namespace

// ---- Reference data --------------------------------------------------------------------

std::shared_ptr<TDocumentReference> TDocumentReference::Load(TFinancialDM& dm) {
    auto ref = std::make_shared<TDocumentReference>();
    TConnection& c = dm.Require();
    for (const auto& row :
         c.Select(QStringLiteral("SELECT taxid, value FROM tax ORDER BY taxid")).rows) {
        ref->taxes.append({row[0].toLongLong(), row[1].toDouble()});
        ref->maxTaxId = std::max(ref->maxTaxId, row[0].toLongLong());
    }
    auto taxOf = [&](double first, double second) -> std::optional<qint64> {
        for (double rate : {first, second})
            for (const auto& [id, value] : ref->taxes)
                if (value == rate)
                    return id;
        return std::nullopt;
    };
    ref->porez101 = taxOf(18, 20);
    ref->porez102 = taxOf(8, 10);
    for (const auto& row : c.Select(QStringLiteral("SELECT warehouseid, code, pricetype, "
                                                   "warehousemethodtype FROM warehouse"))
                               .rows) {
        TWarehouse w;
        w.code = row[1].toString();
        if (const QString kind = row[2].toString().trimmed(); !kind.isEmpty())
            w.kind = kind[0].toLower();
        if (const QString method = row[3].toString(); !method.isEmpty())
            w.method = method[0];
        ref->warehouses.insert(row[0].toLongLong(), w);
    }
    const TDBIniFile ini(&c);
    for (const TMethodRow& row : MethodRows())
        ref->methods.insert(row.key, ini.ReadString(kFinancialSection, row.key,
                                                    GetMethodName(row.methods.first())));
    ref->specificCategory =
        ini.ReadInteger(kDocumentSection, QStringLiteral("SpecificCategoryPrIDFin"), 0);
    ref->stockCardsForRetail = dm.Options().StockCardsForRetail;

    // What every document starts from, in the order the documents set it.
    auto base = std::make_shared<TVariableList>();
    auto zero = [&](const QString& name) { base->SetValue(name, QStringLiteral("0")); };
    const TDocumentNames& fixed = DocumentFixedNames();
    for (const QString& name : fixed.zeroed)
        if (!name.startsWith(QLatin1String("[Magacin")))
            zero(name);
    for (qint64 tax = 1; tax <= ref->maxTaxId; ++tax)
        for (const QString& name : fixed.names)
            if (name.contains(QLatin1String("Stopa{X}")))
                zero(QString(name).replace(QLatin1String("{X}"), QString::number(tax)));
    for (const auto& row : c.Select(QStringLiteral("SELECT expenseid FROM expense")).rows) {
        const QString id = row[0].toString();
        for (const QString& prefix :
             {res::FIN_EXPENSE_PREFIX, res::CMN_EXPENSE_PREFIX, res::FIN_EXPENSE_VAT_PREFIX})
            zero(QLatin1Char('[') + prefix + id + QLatin1Char(']'));
    }
    for (const TWarehouse& w : ref->warehouses)
        if (!w.code.isEmpty()) {
            zero(QLatin1Char('[') + res::FIN_WAREHOUSE_PREFIX + w.code + QLatin1Char(']'));
            zero(QLatin1Char('[') + res::FIN_IN_WAREHOUSE_PREFIX + w.code + QLatin1Char(']'));
        }
    for (const auto& row :
         c.Select(QStringLiteral("SELECT DISTINCT partnertype FROM partner")).rows) {
        const QString type = row[0].toString().remove(QLatin1Char(' '));
        if (!type.isEmpty())
            zero(QLatin1Char('[') + res::FIN_PART_TYPE_PREFIX + type + QLatin1Char(']'));
    }
    for (const auto& row : c.Select(QStringLiteral("SELECT categoryprid FROM categorypr")).rows)
        zero(QLatin1Char('[') + res::FIN_CAT_PR_VALUE_PREFIX + row[0].toString() +
             QLatin1Char(']'));
    for (const char* flag : {"Magacin1v", "Magacin1m", "Magacin2v", "Magacin2m"})
        zero(QLatin1Char('[') + QLatin1String(flag) + QLatin1Char(']'));
    if (ref->porez101)
        base->SetValue(QStringLiteral("[Porez101]"), QString::number(*ref->porez101));
    if (ref->porez102)
        base->SetValue(QStringLiteral("[Porez102]"), QString::number(*ref->porez102));
    ref->base = base;
    return ref;
}

// ---- Prefetch -----------------------------------------------------------------------------

namespace {

QString Marks(int count) {
    return QStringList(count, QStringLiteral("?")).join(QLatin1Char(','));
}

}  // namespace

void TDocumentPrefetch::Load(TConnection& c, const QVector<qint64>& ids) {
    *this = {};
    if (ids.isEmpty())
        return;
    QVariantList params;
    for (qint64 id : ids) {
        documents.insert(id);
        params << id;
    }
    const QString in = Marks(static_cast<int>(ids.size()));
    auto byDocument = [&](const QString& sql, QHash<qint64, TRows>& into) {
        for (const auto& row : c.Select(sql.arg(in), params).rows)
            into[row[0].toLongLong()].append(row.mid(1));
    };
    byDocument(QStringLiteral("SELECT documentid, productid, inquantity, outquantity, price, "
                              "debit, credit FROM docfinitem WHERE documentid IN (%1) ORDER BY "
                              "docfinitemid"),
               cards);
    byDocument(QStringLiteral("SELECT documentid, vattype, vatrate, vat FROM vatitem WHERE "
                              "documentid IN (%1) ORDER BY vatitemid"),
               vat);
    byDocument(QStringLiteral("SELECT documentid, partnerid, value, description, taxamount FROM "
                              "documentcost WHERE documentid IN (%1) ORDER BY documentcostid"),
               costs);
    for (const auto& row :
         c.Select(QStringLiteral("SELECT documentid, cashincome, chequeincome, cardincome FROM "
                                 "documentretailpayment WHERE documentid IN (%1) ORDER BY "
                                 "documentretailpaymentid")
                      .arg(in),
                  params)
             .rows)
        if (!retail.contains(row[0].toLongLong()))
            retail.insert(row[0].toLongLong(), row.mid(1));
    for (const auto& row :
         c.Select(QStringLiteral("SELECT DISTINCT reservationid FROM document WHERE documenttype "
                                 "= 'N' AND reservationid IN (%1)")
                      .arg(in),
                  params)
             .rows)
        autoNivParents.insert(row[0].toLongLong());
    for (const auto& row :
         c.Select(QStringLiteral("SELECT DISTINCT relateddocumentid FROM documentdoc WHERE "
                                 "relateddocumentid IN (%1)")
                      .arg(in),
                  params)
             .rows)
        advancesLinked.insert(row[0].toLongLong());
}

// ---- Conter ------------------------------------------------------------------------------

struct TDocumentConter::TLine {
    QString T;  // product-type letter, upper case
    qint64 productId = 0, taxId = 0, category = 0;
    double quantity = 0, price = 0, price2 = 0, itemValue = 0, cost = 0;
    double rebate = 0, margin = 0, specialRebate = 0, taxValue = 0, inTax = 0;
    QString rebateType, margineType, specialRebateType;
    int card = -1;  // matched stock-card row
};

TDocumentConter::TDocumentConter(TFinancialDM& dm, TPostingRun* run, const QString& moduleName,
                                 const QString& foreignTable, const QString& entityType,
                                 qint64 entityID, TDataSet* masterDataSet, TDataSet* detailDataSet,
                                 std::shared_ptr<TDocumentReference> reference,
                                 const TDocumentPrefetch* prefetch)
    : TCustomConter(dm, run, moduleName, foreignTable, entityType, entityID, masterDataSet,
                    detailDataSet, reference ? reference->base : nullptr),
      reference_(std::move(reference)),
      prefetch_(prefetch && prefetch->documents.contains(entityID) ? prefetch : nullptr),
      type_(entityType.toUpper()) {}

TDocumentPrefetch::TRows TDocumentConter::Rows(
    const QHash<qint64, TDocumentPrefetch::TRows>& fetched, const QString& sql) const {
    if (prefetch_)
        return fetched.value(EntityID);
    return dm_.Require().Select(sql, {EntityID}).rows;
}

QVariant TDocumentConter::Header(const char* field) const {
    return MasterDataSet->FieldByName(QString::fromLatin1(field)).Value();
}

void TDocumentConter::FillNames(QStringList& names, QStringList& descriptions) {
    const TDocumentNames& fixed = DocumentFixedNames();
    names = fixed.names;
    descriptions = fixed.descriptions;
    if (!dm_.Connected())
        return;
    TConnection& c = *dm_.ZConnection();
    auto add = [&](const QString& prefix, const QString& key, const QString& description) {
        names << QLatin1Char('[') + prefix + key + QLatin1Char(']');
        descriptions << description;
    };
    for (const auto& row : c.Select(QStringLiteral("SELECT expenseid, name FROM expense")).rows) {
        const QString id = row[0].toString(), name = row[1].toString();
        add(res::FIN_EXPENSE_PREFIX, id,
            QStringLiteral("dokument ima trošak %1 (%2)").arg(id, name));
        add(res::CMN_EXPENSE_PREFIX, id, QStringLiteral("vrednost troška %1 (%2)").arg(id, name));
        add(res::FIN_EXPENSE_VAT_PREFIX, id,
            QStringLiteral("vrednost troška %1 sa porezom (%2)").arg(id, name));
    }
    for (const auto& row :
         c.Select(QStringLiteral("SELECT code, name FROM warehouse WHERE code <> ''")).rows) {
        add(res::FIN_WAREHOUSE_PREFIX, row[0].toString(),
            QStringLiteral("magacin dokumenta je %1").arg(row[1].toString()));
        add(res::FIN_IN_WAREHOUSE_PREFIX, row[0].toString(),
            QStringLiteral("prijemni magacin je %1").arg(row[1].toString()));
    }
    for (const auto& row :
         c.Select(QStringLiteral("SELECT DISTINCT partnertype FROM partner")).rows) {
        const QString type = row[0].toString().remove(QLatin1Char(' '));
        if (!type.isEmpty())
            add(res::FIN_PART_TYPE_PREFIX, type, QStringLiteral("partner je tipa %1").arg(type));
    }
    for (const auto& row :
         c.Select(QStringLiteral("SELECT categoryprid, name FROM categorypr")).rows) {
        const QString id = row[0].toString(), name = row[1].toString();
        add(res::FIN_CAT_PR_PREFIX, id,
            QStringLiteral("dokument ima kategoriju %1 (%2)").arg(id, name));
        add(res::FIN_CAT_PR_VALUE_PREFIX, id,
            QStringLiteral("vrednost kategorije %1 (%2)").arg(id, name));
    }
    for (const auto& row : c.Select(QStringLiteral("SELECT partnerid, name FROM partner")).rows)
        add(res::FIN_PARTNER_PREFIX, row[0].toString(),
            QStringLiteral("partner dokumenta je %1").arg(row[1].toString()));
}

void TDocumentConter::CalculateVariables() {
    if (!reference_)
        throw TError(QStringLiteral("Dokument se kontira samo u toku kontiranja."));
    // Step 1, the zeros, is the run's shared base list.
    const QString currency = Header("documentcurrency").toString().trimmed();
    foreign_ = run_->Foreign(currency);
    rate_ = 1.0;
    if (foreign_) {
        // Unconverted amounts would post a foreign sum as home currency: refused instead.
        const qint64 list = Header("exchangelistid").toLongLong();
        const std::optional<double> rate = run_->Rate(list, currency);
        if (!rate)
            throw TError(res::FOREIGN_NO_RATE_ERR.arg(currency).arg(list));
        rate_ = *rate;
    }
    const qint64 warehouse = Header("warehouseid").toLongLong();
    const auto w = reference_->warehouses.constFind(warehouse);
    const bool known = warehouse > 0 && w != reference_->warehouses.constEnd();
    retail_ = known && w->kind == QLatin1Char('m');
    keepsCards_ = known && (!retail_ || reference_->stockCardsForRetail);

    Header();
    Flags();
    if (OneOf(type_, "AKLMQRUZ"))
        DeductibleTax();
    cards_ = Rows(prefetch_ ? prefetch_->cards : TDocumentPrefetch{}.cards,
                  QStringLiteral("SELECT productid, inquantity, outquantity, price, debit, credit "
                                 "FROM docfinitem WHERE documentid = ? ORDER BY docfinitemid"));
    cardUsed_ = QVector<bool>(cards_.size(), false);
    if (OneOf(type_, "CK"))
        DependentCosts();
    Payments();
    Lines();
}

void TDocumentConter::Header() {
    const qint64 partner = Header("partnerid").toLongLong();
    if (partner > 0)
        AddIndexVariable(QStringLiteral("Partner"), partner, TVariableType::vtInteger);
    AddVariable(QStringLiteral("DokumentOpis"),
                GetDocDescription(type_) + QStringLiteral(" - ") + Header("number").toString(),
                TVariableType::vtString);
    const qint64 warehouse = Header("warehouseid").toLongLong();
    if (warehouse > 0) {
        AddVariable(QStringLiteral("Magacin1"), warehouse, TVariableType::vtInteger);
        const auto w = reference_->warehouses.value(warehouse);
        if (!w.code.isEmpty())
            AddVariable(res::FIN_WAREHOUSE_PREFIX + w.code, 1, TVariableType::vtFloat);
        AddVariable(QStringLiteral("Magacin1") + w.kind, 1, TVariableType::vtFloat);
    }
    if (partner > 0)
        if (const QString type = dm_.GetPartnerTypeByID(partner); !type.isEmpty())
            AddVariable(res::FIN_PART_TYPE_PREFIX + type, 1, TVariableType::vtFloat);
}

void TDocumentConter::Flags() {
    auto differs = [&](const char* field) {
        const QString c = Header(field).toString().trimmed();
        return run_->Foreign(c);
    };
    auto set = [&](const QString& name) { AddVariable(name, 1, TVariableType::vtFloat); };
    if (OneOf(type_, "MRZ") && differs("documentcurrency"))
        set(QStringLiteral("DokIzvoz"));
    if (OneOf(type_, "CKU") && differs("inputcurrency"))
        set(QStringLiteral("DokUvoz"));
    const qint64 reservation = Header("reservationid").toLongLong();
    if (type_ == QLatin1String("N")) {
        if (reservation > 0) {
            set(QStringLiteral("DokAutoNiv"));
            if (dm_.AutoNivParentIsInvoice(reservation))
                set(QStringLiteral("DokRAutoNiv"));
        }
    } else if (prefetch_ ? prefetch_->autoNivParents.contains(EntityID)
                         : dm_.DocumentHasAutoNivChild(EntityID)) {
        set(QStringLiteral("DokAutoNiv"));
    }
    const qint64 charge = Header("documentchargetypeid").toLongLong();
    if (type_ == QLatin1String("Z") && charge >= 1 && charge <= 10)
        set(QStringLiteral("DokTipZaduzenja%1").arg(charge));
    if (Header("docreturn").toBool() && Header("correctgoods").toBool())
        set(QStringLiteral("DokPovrIsprRobe"));
    if (reference_->specificCategory > 0 && dm_.SpecificCategoryInDocumentFin(EntityID))
        set(QStringLiteral("DokSpecKat"));
}

void TDocumentConter::DeductibleTax() {
    static const QStringList kinds{"OS", "IS", "PS", "US", "PO"};
    for (const auto& row :
         Rows(prefetch_ ? prefetch_->vat : TDocumentPrefetch{}.vat,
              QStringLiteral("SELECT vattype, vatrate, vat FROM vatitem WHERE documentid = ? "
                             "ORDER BY vatitemid"))) {
        if (!kinds.contains(row[0].toString().trimmed().toUpper()))
            continue;
        const char* kind = RateKind(row[1].toDouble());
        if (!kind)
            continue;
        AddVariable(QStringLiteral("PDV%1StopaOdbitak").arg(QLatin1String(kind)), 1,
                    TVariableType::vtFloat);
        AddVariable(QStringLiteral("UkPDV%1StopaOdbitak").arg(QLatin1String(kind)),
                    row[2].toDouble(), TVariableType::vtFloat, true, true);
    }
}

void TDocumentConter::DependentCosts() {
    const TDocumentPrefetch::TRows rows =
        Rows(prefetch_ ? prefetch_->costs : TDocumentPrefetch{}.costs,
             QStringLiteral("SELECT partnerid, value, description, taxamount FROM documentcost "
                            "WHERE documentid = ? ORDER BY documentcostid"));
    // One number per cost row for all six families, so an empty description cannot shift
    // the rows of one family against the others.
    int index = GetNewIndex(QStringLiteral("ZavTrosVred"));
    for (const auto& row : rows) {
        const QString n = QString::number(index++);
        const qint64 partner = row[0].toLongLong();
        AddVariable(QStringLiteral("ZavTrosPart") + n, partner, TVariableType::vtInteger);
        AddVariable(QStringLiteral("ZavTrosVred") + n, row[1].toDouble(), TVariableType::vtFloat);
        AddVariable(QStringLiteral("ZavTrosOpis") + n, row[2].toString(), TVariableType::vtString);
        AddVariable(QStringLiteral("ZavTrosPorez") + n, Round2(row[3].toDouble()),
                    TVariableType::vtFloat);
        AddVariable(QStringLiteral("ZavTrosPorezId") + n, 0, TVariableType::vtFloat);
        AddVariable(QStringLiteral("ZavTrosBezPart") + n, partner > 0 ? 0 : 1,
                    TVariableType::vtFloat);
    }
}

void TDocumentConter::Payments() {
    auto set = [&](const char* name, double value) {
        AddVariable(QString::fromLatin1(name), value, TVariableType::vtFloat, false, true);
    };
    if (type_ == QLatin1String("A"))
        set("UkPlacanje", dm_.GetDocumentPayments(EntityID));
    else if (type_ == QLatin1String("Q"))
        set("UkPlacanje", -dm_.GetDocumentPayments(EntityID));
    // Advances are looked for only where some document is linked to this one.
    if (OneOf(type_, "RKU") && (!prefetch_ || prefetch_->advancesLinked.contains(EntityID))) {
        double payments = 0, value = 0, high = 0, low = 0;
        const bool sale = type_ == QLatin1String("R");
        dm_.GetDocumentStornoAdvance(EntityID, sale ? QStringLiteral("A") : QStringLiteral("Q"),
                                     sale ? QStringLiteral("taxvalue") : QStringLiteral("intax"),
                                     payments, value, high, low);
        set("UkAvansnoPlacanje", payments);
        set("UkAvansnaVrednost", value);
        set("UkAvansnaPDVOpstaStopa", high);
        set("UkAvansnaPDVPosebnaStopa", low);
    }
    if (OneOf(type_, "MR")) {
        double cash = 0, cheque = 0, card = 0;
        if (!prefetch_) {
            dm_.GetRetailDocumentPayment(EntityID, cash, cheque, card);
        } else if (const auto it = prefetch_->retail.constFind(EntityID);
                   it != prefetch_->retail.constEnd()) {
            cash = (*it)[0].toDouble();
            cheque = (*it)[1].toDouble();
            card = (*it)[2].toDouble();
        }
        set("UkNacPlacGotovina", cash);
        set("UkNacPlacCek", cheque);
        set("UkNacPlacKartica", card);
    }
}

void TDocumentConter::Lines() {
    TDataSet& d = *DetailDataSet;
    auto at = [&](const char* name) { return d.FieldByName(QString::fromLatin1(name)).Index(); };
    const int product = at("productid"), quantity = at("quantity"), price = at("price"),
              price2 = at("price2"), itemValue = at("itemvalue"), cost = at("cost"),
              rebate = at("rebate"), rebateType = at("rebatetype"), margin = at("margin"),
              margineType = at("marginetype"), special = at("specialrebate"),
              specialType = at("specialrebatetype"), taxId = at("taxid"), taxValue = at("taxvalue"),
              inTax = at("intax"), type = at("type"), category = at("categoryprid");
    // The host's default product type, when a line's product has none.
    const QString defaultType = GetProdTypeName(ProdTypeLetters().first()).left(1).toUpper();
    for (int rec = 1; rec <= d.RecordCount(); ++rec) {
        auto v = [&](int field) { return d.RecordValue(rec, field); };
        TLine line;
        const QString t = v(type).toString().trimmed();
        line.T = t.isEmpty() ? defaultType : t.left(1).toUpper();
        line.productId = v(product).toLongLong();
        line.taxId = v(taxId).toLongLong();
        line.category = v(category).toLongLong();
        line.quantity = v(quantity).toDouble();
        line.price = v(price).toDouble();
        line.price2 = v(price2).toDouble();
        line.itemValue = v(itemValue).toDouble();
        line.cost = v(cost).toDouble();
        line.rebate = v(rebate).toDouble();
        line.margin = v(margin).toDouble();
        line.specialRebate = v(special).toDouble();
        line.taxValue = v(taxValue).toDouble();
        line.inTax = v(inTax).toDouble();
        line.rebateType = v(rebateType).toString().trimmed().toUpper();
        line.margineType = v(margineType).toString().trimmed().toUpper();
        line.specialRebateType = v(specialType).toString().trimmed().toUpper();
        AddLine(line);
    }
}

void TDocumentConter::AddLine(TLine& line) {
    // Category flags and the category's value, which starts at 0 in the base.
    if (line.category > 0) {
        AddVariable(res::FIN_CAT_PR_PREFIX + QString::number(line.category), 1,
                    TVariableType::vtFloat);
        const QString value = res::FIN_CAT_PR_VALUE_PREFIX + QString::number(line.category);
        if (!Variables.Contains(QLatin1Char('[') + value + QLatin1Char(']')))
            AddVariable(value, 0, TVariableType::vtInteger);
    }

    // The line's stock-card row.
    if (!OneOf(type_, "ANQUZ")) {
        auto matches = [&](int row, bool byQuantity, std::optional<double> unitPrice) {
            const auto& c = cards_[row];
            if (cardUsed_[row] || c[0].toLongLong() != line.productId)
                return false;
            if (byQuantity) {
                const double q = BetterRoundTo(line.quantity, -3);
                if (BetterRoundTo(c[2].toDouble(), -3) != q &&
                    BetterRoundTo(c[1].toDouble(), -3) != q)
                    return false;
            }
            return !unitPrice || Round2(c[3].toDouble()) == Round2(*unitPrice);
        };
        bool byQuantity = false;
        std::optional<double> unitPrice;
        if (OneOf(type_, "MR")) {
            const QChar own =
                reference_->warehouses.value(Header("warehouseid").toLongLong()).method;
            const QString method =
                own.isSpace() || own.isNull()
                    ? reference_->methods.value(line.T.toLower(), QStringLiteral("O"))
                    : QString(own);
            byQuantity = true;
            if (method.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0)
                unitPrice = line.price * rate_;
        } else if (OneOf(type_, "CK")) {
            byQuantity = true;
            const QString method = reference_->methods.value(line.T.toLower(), QStringLiteral("O"));
            if (method.compare(QLatin1String("I"), Qt::CaseInsensitive) == 0 && line.quantity != 0)
                unitPrice = (line.itemValue * rate_ + line.cost) / line.quantity;
        }
        for (int row = 0; row < cards_.size() && line.card < 0; ++row)
            if (matches(row, byQuantity, unitPrice))
                line.card = row;
        if (line.card >= 0)
            cardUsed_[line.card] = true;
        else if (keepsCards_ && line.T != QLatin1String("U") && type_ != QLatin1String("I"))
            return;  // a line without its stock card is left out of every variable
        AddIndexVariable(kProductFamily, line.productId, TVariableType::vtInteger);
    }

    // Foreign amounts in the home currency; percentages stay as they are.
    if (foreign_) {
        line.price *= rate_;
        line.itemValue *= rate_;
        line.price2 *= rate_;
        if (line.rebateType != QLatin1String("P"))
            line.rebate *= rate_;
        if (line.margineType != QLatin1String("P"))
            line.margin *= rate_;
        if (line.specialRebateType != QLatin1String("P"))
            line.specialRebate *= rate_;
    }

    // Purchase value from the stock card: outgoing documents its credit, incoming its debit.
    std::optional<double> nab;
    if (line.card >= 0 && keepsCards_ && line.T != QLatin1String("U") &&
        type_ != QLatin1String("A"))
        nab = cards_[line.card][OneOf(type_, "CKVG") ? 4 : 5].toDouble();
    auto addNab = [&] {
        if (!nab)
            return;
        AddTotal("Nab", *nab, line);
        AddIndexVariable(QStringLiteral("Nab"), retail_ ? *nab : Round2(*nab),
                         TVariableType::vtFloat);
    };
    auto partnerFlag = [&] {
        const qint64 partner = Header("partnerid").toLongLong();
        if (partner > 0)
            AddVariable(res::FIN_PARTNER_PREFIX + QString::number(partner), 1,
                        TVariableType::vtFloat);
    };
    auto categoryValue = [&](double value) {
        if (line.category > 0)
            AddVariable(res::FIN_CAT_PR_VALUE_PREFIX + QString::number(line.category),
                        retail_ ? value : Round2(value), TVariableType::vtFloat, true, true);
    };
    // Discounts in their order (rebate, margin, special rebate, as far as the document
    // type takes them), each of the value the previous ones left.
    enum { kRebate = 1, kMargin = 2, kSpecial = 4 };
    auto discounts = [&](double value, int which) {
        double left = value, taken = 0;
        const std::tuple<int, double, QString> parts[] = {
            {kRebate, line.rebate, line.rebateType},
            {kMargin, line.margin, line.margineType},
            {kSpecial, line.specialRebate, line.specialRebateType}};
        for (const auto& [bit, amount, kind] : parts) {
            if (!(which & bit))
                continue;
            double part = 0;
            if (kind == QLatin1String("P"))
                part = left * amount / 100;
            else if (kind == QLatin1String("I"))
                part = line.quantity * amount;
            taken += part;
            left -= part;
        }
        return taken;
    };

    if (OneOf(type_, "AMRSW")) {
        addNab();
        const double value = line.quantity * line.price;
        AddTotal("Prod", value, line);
        AddTotal("PoslNab", line.quantity * line.price2, line);
        categoryValue(value);
        AddTotal("Rab", discounts(value, kRebate | kMargin | kSpecial), line);
        AddTotal("Zav", line.quantity * line.cost, line);
        const double tax = line.itemValue * line.taxValue / 100;
        AddTotal("PDV", tax, line);
        AddTax("UkPDV", tax, line.taxValue, line, true);
        if (OneOf(type_, "RWSA"))
            partnerFlag();
    } else if (OneOf(type_, "CK")) {
        addNab();
        AddTotal("Prod", line.quantity * line.price2, line);
        categoryValue(line.quantity * line.price2);
        AddTotal("Rab", discounts(line.quantity * line.price, kRebate), line);
        AddTotal("Fak", line.quantity * line.price, line);
        AddTotal("Zav", line.cost, line);
        const double tax = line.itemValue * line.inTax / 100;
        AddTotal("PDV", tax, line);
        AddTax("UkPDV", tax, line.inTax, line, true);
        AddTax("UkPretPDV", tax, line.inTax, line, true);
        if (retail_) {
            // The tax built into the retail price, and the input tax before it.
            AddTax("UkPDVMagM", line.quantity * line.price2 * line.taxValue / 100, line.taxValue,
                   line, false);
            AddTax("UkPretPDVMagM", tax, line.inTax, line, false);
        }
        partnerFlag();
    } else if (OneOf(type_, "QU")) {
        AddTotal("Fak", line.itemValue, line);
        const double tax = line.itemValue * line.inTax / 100;
        AddTotal("PDV", tax, line);
        AddTax("UkPDV", tax, line.inTax, line, true);
        AddTax("UkPretPDV", tax, line.inTax, line, true);
        partnerFlag();
        const QString id = QString::number(line.productId);
        AddVariable(res::FIN_EXPENSE_PREFIX + id, 1, TVariableType::vtFloat);
        AddVariable(res::CMN_EXPENSE_PREFIX + id, line.itemValue, TVariableType::vtFloat, true,
                    true);
        AddVariable(res::FIN_EXPENSE_VAT_PREFIX + id, line.itemValue + Round2(tax),
                    TVariableType::vtFloat, true, true);
    } else if (type_ == QLatin1String("Z")) {
        // Charges keep the line value as it is.
        AddTotal("Prod", line.itemValue, line, false);
        const double tax = line.itemValue * line.taxValue / 100;
        AddTotal("PDV", tax, line);
        AddTax("UkPDV", tax, line.taxValue, line, true);
        partnerFlag();
    } else if (type_ == QLatin1String("N")) {
        AddTotal("Raz", line.quantity * (line.price2 - line.price), line);
        AddTax("UkPDVMagM", line.quantity * line.price2 * line.inTax / 100, line.inTax, line,
               false);
        AddTax("UkPretPDVMagM", line.quantity * line.price * line.taxValue / 100, line.taxValue,
               line, false);
    } else if (OneOf(type_, "VG")) {
        addNab();
        AddTotal("Prod", line.itemValue, line);
        AddTax("UkPDV", line.itemValue * line.taxValue / 100, line.taxValue, line, true);
        categoryValue(line.itemValue);
    } else if (OneOf(type_, "FLT")) {
        addNab();
        AddTotal("Prod", line.itemValue, line);
        AddTax("UkPDV", line.itemValue * line.taxValue / 100, line.taxValue, line, true);
        if (OneOf(type_, "FL") && line.card >= 0)
            AddTotal("PDV", cards_[line.card][5].toDouble() * line.taxValue / 100, line);
        categoryValue(line.itemValue);
    } else if (type_ == QLatin1String("I")) {
        const qint64 in = Header("inwarehouseid").toLongLong();
        const auto target = reference_->warehouses.value(in);
        if (in > 0) {
            AddVariable(QStringLiteral("Magacin2"), in, TVariableType::vtInteger);
            if (!target.code.isEmpty())
                AddVariable(res::FIN_IN_WAREHOUSE_PREFIX + target.code, 1, TVariableType::vtFloat);
            AddVariable(QStringLiteral("Magacin2") + target.kind, 1, TVariableType::vtFloat);
        }
        addNab();
        AddTotal("PoslNab", line.quantity * line.price, line);
        AddTotal("Prod", line.quantity * line.price2, line);
        AddVariable(QStringLiteral("UkProdMag1Tip") + line.T, Round2(line.quantity * line.price),
                    TVariableType::vtFloat, true, true);
        AddVariable(QStringLiteral("UkProdMag2Tip") + line.T, Round2(line.quantity * line.price2),
                    TVariableType::vtFloat, true, true);
        if (in > 0 && target.kind == QLatin1Char('m')) {
            // Into a retail warehouse: its purchase value and the taxes of the retail price.
            if (nab)
                AddVariable(QStringLiteral("UkNabMagMTip") + line.T, *nab, TVariableType::vtFloat,
                            true, true);
            AddTax("UkPretPDVMagM", line.quantity * line.price * line.taxValue / 100, line.taxValue,
                   line, false);
            AddTax("UkPDVMagM", line.quantity * line.price2 * line.taxValue / 100, line.taxValue,
                   line, false);
        }
        AddTotal("Rab", discounts(line.quantity * line.price2, kRebate | kSpecial), line);
        AddVariable(QStringLiteral("UkMar"), Round2(line.quantity * (line.price2 - line.price)),
                    TVariableType::vtFloat, true, true);
        AddTotal("Zav", line.quantity * line.cost, line);
    }
}

void TDocumentConter::AddTotal(const char* total, double value, const TLine& line, bool round) {
    const QString t = QString::fromLatin1(total);
    auto add = [&](const QString& body, double amount) {
        if (Listed(body))
            AddVariable(body, amount, TVariableType::vtFloat, true, true);
    };
    if (t == QLatin1String("PoslNab")) {
        add(QStringLiteral("UkPoslNabTip") + line.T, Round2(value));
        return;
    }
    if (retail_) {
        // Retail lines go unrounded to their own totals, instead of the ordinary ones.
        add(QStringLiteral("Uk") + t + QStringLiteral("MagM"), value);
        add(QStringLiteral("Uk") + t + QStringLiteral("MagMTip") + line.T, value);
        return;
    }
    const double rounded = round ? Round2(value) : value;
    add(QStringLiteral("Uk") + t, rounded);
    add(QStringLiteral("Uk") + t + QStringLiteral("Tip") + line.T, rounded);
    if (line.taxId > 0) {
        const QString rate = QString::number(line.taxId);
        // The tax-rate names exist for every tax of the table; listed by their template.
        if (Listed(QStringLiteral("Uk") + t + QStringLiteral("Stopa{X}")))
            AddVariable(QStringLiteral("Uk") + t + QStringLiteral("Stopa") + rate, rounded,
                        TVariableType::vtFloat, true, true);
        if (Listed(QStringLiteral("Uk") + t + QStringLiteral("Tip") + line.T +
                   QStringLiteral("Stopa{X}")))
            AddVariable(QStringLiteral("Uk") + t + QStringLiteral("Tip") + line.T +
                            QStringLiteral("Stopa") + rate,
                        rounded, TVariableType::vtFloat, true, true);
    }
}

void TDocumentConter::AddTax(const char* prefix, double value, double rate, const TLine& line,
                             bool byType) {
    const char* kind = RateKind(rate);
    if (!kind)
        return;
    const QString body = QLatin1String(prefix) + QLatin1String(kind) + QStringLiteral("Stopa");
    const double amount = retail_ ? value : Round2(value);
    if (Listed(body))
        AddVariable(body, amount, TVariableType::vtFloat, true, true);
    if (byType && Listed(body + QStringLiteral("Tip") + line.T))
        AddVariable(body + QStringLiteral("Tip") + line.T, amount, TVariableType::vtFloat, true,
                    true);
}

void TDocumentConter::InternalCreatePrecept() {
    TQuery& precepts = dm_.PreceptZQ();
    const TFinancialOptions& o = dm_.Options();
    const QString number = Header("number").toString();
    precepts.FieldByName(QStringLiteral("description"))
        .SetValue(res::DOC_PRE_DESC.arg(GetDocDescription(type_) + QStringLiteral(" - ") + number));
    if (o.UseDocumentDate)
        precepts.FieldByName(QStringLiteral("preceptdate")).SetValue(Header("documentdate"));
    if (o.UseDocumentIssueDate && OneOf(type_, "KQU") && !Header("documentissuedate").isNull())
        precepts.FieldByName(QStringLiteral("preceptdate")).SetValue(Header("documentissuedate"));
    if (o.UseRelatedEntityDateRegister)
        precepts.FieldByName(QStringLiteral("registerdate")).SetValue(Header("documentdate"));
    if (o.UseRelatedEntityNumber) {
        TQuery& types = dm_.PrecepttypeZQ();
        if (types.Locate(QStringLiteral("precepttypeid"), PreceptTypeID))
            precepts.FieldByName(QStringLiteral("number"))
                .SetValue(types.FieldByName(QStringLiteral("number")).AsString() +
                          QLatin1Char('-') + number);
    }
}

// ---- Automat -----------------------------------------------------------------------------

TDocumentAutomat::TDocumentAutomat(TFinancialDM& dm)
    : TCustomContoAutomat(dm, 100, QStringLiteral("document"), res::FIN_MOD_DOCUMENT_NAME,
                          {QStringLiteral("documentid"), QStringLiteral("documentdate"),
                           QStringLiteral("documenttype"), QStringLiteral("number"),
                           QStringLiteral("p"), GetDocDescription}) {}

const QString& TDocumentAutomat::PostedTypes() {
    return kPostedTypes;
}

void TDocumentAutomat::OpenItems(const QDate& endDate, bool single, const QString& entityType,
                                 qint64 entityID) {
    TPostingRun* run = Run;
    if (!run)
        throw TError(QStringLiteral("Kontiranje nije započeto."));
    reference_ = run->ModuleData<TDocumentReference>(QStringLiteral("document"),
                                                     [&] { return TDocumentReference::Load(dm_); });
    QStringList posted;
    for (const QChar c : kPostedTypes)
        posted << QLatin1Char('\'') + c + QLatin1Char('\'');
    QString sql =
        QStringLiteral(
            "SELECT d.* FROM document AS d LEFT JOIN precept AS p ON p.foreigntable = "
            "'document' AND d.documentid = p.foreignid WHERE d.status = 'p' AND p.foreignid IS "
            "NULL AND d.documenttype IN (%1) AND d.documentdate >= :YearStart AND "
            "d.documentdate <= :EndDate AND NOT((d.documenttype = 'U') AND NOT(d.reservationid "
            "IS NULL)) AND d.number != 'kasa'")
            .arg(posted.join(QLatin1Char(',')));
    TValues values{{QStringLiteral("YearStart"), QDate(dm_.Options().FinancialYear, 1, 1)},
                   {QStringLiteral("EndDate"), endDate}};
    AddFilters(sql, values, QStringLiteral("d.documenttype"), entityType, true,
               QStringLiteral("d.documentid"), entityID);
    sql += QStringLiteral(" ORDER BY d.documentdate, d.direction DESC, d.documenttype, d.number");
    if (single)
        sql += QStringLiteral(" LIMIT 0,1");
    OpenMaster(sql, values);
    prefetch_ = {};
}

void TDocumentAutomat::OpenDetail(qint64 id) {
    // The lines, and the rest the conter reads, of the next stretch of waiting documents.
    if (OpenStretch(id,
                    QStringLiteral("SELECT di.*, p.type, (SELECT MIN(pc.categoryprid) FROM "
                                   "productcategorypr AS pc WHERE pc.productid = di.productid) AS "
                                   "categoryprid FROM documentitem AS di LEFT JOIN product AS p ON "
                                   "di.productid = p.productid WHERE di.documentid IN (%1) ORDER "
                                   "BY di.documentid, di.documentitemid"),
                    QStringLiteral("documentid")))
        prefetch_.Load(dm_.Require(), Stretch());
}

std::shared_ptr<TCustomConter> TDocumentAutomat::MakeConter() {
    const QString type = CurrentType();
    if (type.size() != 1 || !kPostedTypes.contains(type.toUpper()))
        return nullptr;
    return std::make_shared<TDocumentConter>(dm_, Run, ModuleName(), TableName(), type, CurrentID(),
                                             &MasterQuery(), &DetailQuery(), reference_,
                                             &prefetch_);
}

bool TDocumentAutomat::GetEntityID(qint64& id, QString& description) {
    const IInterfacePtr module = dm_.ModuleLookup ? dm_.ModuleLookup(iid::Documents) : nullptr;
    const auto documents = As<IDocuments>(module);
    if (!documents)
        return false;
    QString first, second;
    if (!documents->SelectDocument(id, first, second))
        return false;
    description = first + QLatin1Char('-') + second;
    return true;
}

}  // namespace fin
