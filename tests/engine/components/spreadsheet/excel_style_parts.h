#pragma once
// Python helpers that add to a workbook saved by openpyxl the parts the spreadsheet application
// writes itself and openpyxl does not: notes with their VML boxes as the application lays them
// out, threaded comments with their persons, and raw XML before the end of a sheet. They define
// rewrite(path, change), override, relate, before_end, add_notes, part(path, suffix) and
// note_cells(path) (the cells of the notes' boxes, "A6 B2").

namespace brevant::testing {

inline const char *const kExcelStyleParts = R"PY(
import zipfile, re, warnings
warnings.simplefilter('ignore')
from openpyxl.utils.cell import coordinate_to_tuple
def rewrite(path, change):
    z = zipfile.ZipFile(path)
    parts = {n: z.read(n).decode('utf-8') for n in z.namelist()}
    z.close()
    change(parts)
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as out:
        for n, d in parts.items():
            out.writestr(n, d)
def override(parts, name, ctype):
    parts['[Content_Types].xml'] = parts['[Content_Types].xml'].replace(
        '</Types>', '<Override PartName="/%s" ContentType="%s"/></Types>' % (name, ctype))
def relate(parts, source, rid, rtype, target):
    folder, leaf = source.rsplit('/', 1)
    rels = folder + '/_rels/' + leaf + '.rels'
    body = parts.get(rels, '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '</Relationships>')
    parts[rels] = body.replace('</Relationships>',
        '<Relationship Id="%s" Type="%s" Target="%s"/></Relationships>' % (rid, rtype, target))
def before_end(parts, sheet, xml):
    s = parts[sheet]
    at = s.find('<extLst>') if '<extLst>' in s else s.rfind('</worksheet>')
    parts[sheet] = s[:at] + xml + s[at:]
REL = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
SHAPE = '''<v:shape id="_x0000_s%d" type="#_x0000_t202" style='position:absolute;
  margin-left:107.25pt;margin-top:1.5pt;width:108pt;height:59.25pt;z-index:%d;
  visibility:hidden' fillcolor="#ffffe1" o:insetmode="auto">
  <v:fill color2="#ffffe1"/>
  <v:shadow on="t" color="black" obscured="t"/>
  <v:path o:connecttype="none"/>
  <v:textbox style='mso-direction-alt:auto'>
   <div style='text-align:left'></div>
  </v:textbox>
  <x:ClientData ObjectType="Note">
   <x:MoveWithCells/>
   <x:SizeWithCells/>
   <x:Anchor>
    %d, 15, %d, 2, %d, 15, %d, 4</x:Anchor>
   <x:AutoFill>False</x:AutoFill>
   <x:Row>%d</x:Row>
   <x:Column>%d</x:Column>
  </x:ClientData>
 </v:shape>'''
# notes: (cell, author, text); threads: (cell, id, parent id or None, text)
def add_notes(parts, notes, threads=()):
    authors = sorted(set(a for _, a, _ in notes))
    xml = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<comments '
        'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
        'mc:Ignorable="xr" xmlns:xr="http://schemas.microsoft.com/office/spreadsheetml/2014/revision">'
        '<authors>' + ''.join('<author>%s</author>' % a for a in authors) + '</authors><commentList>')
    vml = ('<xml xmlns:v="urn:schemas-microsoft-com:vml"\n xmlns:o="urn:schemas-microsoft-com:office:office"\n'
        ' xmlns:x="urn:schemas-microsoft-com:office:excel">\n <o:shapelayout v:ext="edit">\n'
        '  <o:idmap v:ext="edit" data="1"/>\n </o:shapelayout><v:shapetype id="_x0000_t202" '
        'coordsize="21600,21600" o:spt="202"\n  path="m,l,21600r21600,l21600,xe">\n'
        '  <v:stroke joinstyle="miter"/>\n  <v:path gradientshapeok="t" o:connecttype="rect"/>\n'
        ' </v:shapetype>')
    for i, (cell, author, text) in enumerate(notes):
        r, c = coordinate_to_tuple(cell)
        uid = author[3:] if author.startswith('tc=') else '{00000000-0001-0000-0000-%012d}' % i
        xml += ('<comment ref="%s" authorId="%d" shapeId="0" xr:uid="%s"><text><r><t>%s</t></r>'
                '</text></comment>' % (cell, authors.index(author), uid, text))
        vml += SHAPE % (1025 + i, i + 1, c, r - 1, c + 2, r + 3, r - 1, c - 1)
    parts['xl/comments1.xml'] = xml + '</commentList></comments>'
    parts['xl/drawings/vmlDrawing1.vml'] = vml + '</xml>'
    override(parts, 'xl/comments1.xml',
             'application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml')
    if 'Extension="vml"' not in parts['[Content_Types].xml']:
        parts['[Content_Types].xml'] = parts['[Content_Types].xml'].replace('<Override',
            '<Default Extension="vml" ContentType="application/vnd.openxmlformats-officedocument.vmlDrawing"/><Override', 1)
    sheet = 'xl/worksheets/sheet1.xml'
    relate(parts, sheet, 'rIdN1', REL + 'comments', '../comments1.xml')
    relate(parts, sheet, 'rIdN2', REL + 'vmlDrawing', '../drawings/vmlDrawing1.vml')
    before_end(parts, sheet, '<legacyDrawing xmlns:r="http://schemas.openxmlformats.org/'
               'officeDocument/2006/relationships" r:id="rIdN2"/>')
    if threads:
        ns = 'http://schemas.microsoft.com/office/spreadsheetml/2018/threadedcomments'
        xml = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<ThreadedComments xmlns="%s" xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">' % ns
        for cell, tid, parent, text in threads:
            xml += ('<threadedComment ref="%s" dT="2024-05-02T09:30:00.00" personId="{5B6A0C3E-1D2F-4A5B-9C8D-7E6F5A4B3C2D}" id="%s"%s><text>%s</text></threadedComment>'
                    % (cell, tid, ' parentId="%s"' % parent if parent else '', text))
        parts['xl/threadedComments/threadedComment1.xml'] = xml + '</ThreadedComments>'
        parts['xl/persons/person.xml'] = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<personList xmlns="%s" xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><person displayName="Ann Lee" id="{5B6A0C3E-1D2F-4A5B-9C8D-7E6F5A4B3C2D}" userId="ann@example.org" providerId="None"/></personList>' % ns)
        override(parts, 'xl/threadedComments/threadedComment1.xml', 'application/vnd.ms-excel.threadedcomments+xml')
        override(parts, 'xl/persons/person.xml', 'application/vnd.ms-excel.person+xml')
        relate(parts, sheet, 'rIdN3', 'http://schemas.microsoft.com/office/2017/10/relationships/threadedComment', '../threadedComments/threadedComment1.xml')
        relate(parts, 'xl/workbook.xml', 'rIdP1', 'http://schemas.microsoft.com/office/2017/10/relationships/person', 'persons/person.xml')
def part(path, suffix):
    z = zipfile.ZipFile(path)
    name = [n for n in z.namelist() if n.endswith(suffix)][0]
    return z.read(name).decode('utf-8')
def note_cells(path):
    vml = part(path, '.vml')
    cells = sorted((int(r) + 1, int(c) + 1) for r, c in
                   re.findall(r'<x:Row>(\d+)</x:Row>\s*<x:Column>(\d+)</x:Column>', vml))
    ids = re.findall(r'<v:shape id="([^"]+)"', vml)
    assert len(ids) == len(set(ids)), ids
    from openpyxl.utils import get_column_letter
    return ' '.join(get_column_letter(c) + str(r) for r, c in cells)
)PY";

} // namespace brevant::testing
