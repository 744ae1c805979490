# A workbook put together part by part: its first sheet (by the workbook's order) lives in
# a part named as if it were the second, strings come shared (one in runs) and inline, a
# formula keeps its cached text, and row 3 has only an empty cell.
import sys, zipfile
ct = '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>'
rels = ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
        'relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
wb = ('<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>'
      '<sheet name="Relación" sheetId="2" r:id="rId7"/><sheet name="Otra" sheetId="1" r:id="rId1"/>'
      '</sheets></workbook>')
wbrels = ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
          '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
          'relationships/worksheet" Target="worksheets/sheet1.xml"/>'
          '<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
          'relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>'
          '<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
          'relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
ss = ('<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
      '<si><t>Contabilización</t></si><si><r><t>Valor </t></r><r><t>Total</t></r></si></sst>')
ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
first = ('<worksheet ' + ns + '><sheetData>'
         '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>'
         '<row r="2"><c r="A2"><v>10</v></c><c r="B2" t="inlineStr"><is><t>1.234,5</t></is></c>'
         '<c r="C2" t="str"><f>A2*2</f><v>veinte</v></c></row>'
         '<row r="3"><c r="A3" s="1"/></row>'
         '<row r="4"><c r="AA4"><v>-0.25</v></c></row></sheetData></worksheet>')
other = '<worksheet ' + ns + '><sheetData><row r="1"><c r="A1"><v>1</v></c></row></sheetData></worksheet>'
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('[Content_Types].xml', ct)
    z.writestr('_rels/.rels', rels)
    z.writestr('xl/workbook.xml', wb)
    z.writestr('xl/_rels/workbook.xml.rels', wbrels)
    z.writestr('xl/sharedStrings.xml', ss)
    z.writestr('xl/worksheets/sheet2.xml', first)
    z.writestr('xl/worksheets/sheet1.xml', other)
