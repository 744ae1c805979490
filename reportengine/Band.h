#pragma once

#include "TavrelReportsExport.h"

#include "LineObject.h"
#include "PictureObject.h"
#include "ShapeObject.h"
#include "TextObject.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tavrel::report {

// A horizontal strip of a page with its objects. Data bands print once per record of
// their data source; a Detail band belongs to the MasterData band before it and runs
// through its own source for every master record.
class TAVREL_REPORTS_EXPORT Band
{
public:
    enum class Kind
    {
        PageHeader,
        PageFooter,
        Title,
        ColumnHeader,
        MasterData,
        Detail,
        Summary
    };

    // Pages on which a page header or footer prints. LastPageOnly applies to footers.
    enum class PageScope
    {
        EveryPage,
        FirstPageOnly,
        LastPageOnly
    };

    // Runs before each printing of the band. It may change the band's objects (a caption
    // that depends on the record) and may set `print` to false to leave the band out.
    using BeforePrint = std::function<void(Band& band, bool& print)>;

    Band(Kind kind, qreal height, const QString& name = {});
    ~Band();
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;

    Kind kind() const { return m_kind; }
    bool isDataBand() const { return m_kind == Kind::MasterData || m_kind == Kind::Detail; }
    const QString& name() const { return m_name; }

    qreal height() const { return m_height; }
    Band& setHeight(qreal height);
    // The band grows to hold its objects.
    bool stretch() const { return m_stretch; }
    Band& setStretch(bool stretch);
    // Empty space left below the band before the next one.
    qreal spaceAfter() const { return m_spaceAfter; }
    Band& setSpaceAfter(qreal space);
    // Data bands: the name of the data source they run through. Without one a data
    // band prints once.
    const QString& dataSourceName() const { return m_dataSource; }
    Band& setDataSourceName(const QString& name);
    PageScope pageScope() const { return m_scope; }
    Band& setPageScope(PageScope scope);
    const BeforePrint& beforePrint() const { return m_beforePrint; }
    Band& setBeforePrint(BeforePrint hook);

    TextObject& addText(const QString& name, const QRectF& geometry, const QString& text = {});
    PictureObject& addPicture(const QString& name, const QRectF& geometry);
    LineObject& addLine(const QString& name, const QPointF& start, qreal length,
                        Qt::Orientation orientation = Qt::Horizontal);
    ShapeObject& addShape(const QString& name, const QRectF& geometry);

    const std::vector<std::unique_ptr<ReportObject>>& objects() const { return m_objects; }
    ReportObject* object(const QString& name) const;
    // The text object of that name, or nullptr.
    TextObject* text(const QString& name) const;

private:
    template <class T> T& add(std::unique_ptr<T> object);

    Kind m_kind;
    QString m_name;
    qreal m_height;
    bool m_stretch = false;
    qreal m_spaceAfter = 0;
    QString m_dataSource;
    PageScope m_scope = PageScope::EveryPage;
    BeforePrint m_beforePrint;
    std::vector<std::unique_ptr<ReportObject>> m_objects;
};

} // namespace tavrel::report
