-- pandoc filter for README.txt, the user guide as plain text: headings get
-- an underline so that sections stand out in a text editor, and pictures
-- (not shipped; the text says what they show) are left out.
function Header(h)
  local text = pandoc.utils.stringify(h.content)
  local rule = string.rep(h.level <= 2 and "=" or "-", utf8.len(text))
  return pandoc.Para({pandoc.Str(text), pandoc.LineBreak(), pandoc.Str(rule)})
end

function Para(p)
  if #p.content == 1 and p.content[1].t == "Image" then return {} end
end

function Image(img)
  return {}
end
