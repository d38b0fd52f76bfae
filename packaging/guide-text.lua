-- pandoc filter for README.txt, the user guide as plain text: headings get
-- an underline so that sections stand out in a text editor, and a picture
-- (not shipped) leaves its description.
function Header(h)
  local text = pandoc.utils.stringify(h.content)
  local rule = string.rep(h.level <= 2 and "=" or "-", utf8.len(text))
  return pandoc.Para({pandoc.Str(text), pandoc.LineBreak(), pandoc.Str(rule)})
end

function Image(img)
  return pandoc.Str("[Picture: " .. pandoc.utils.stringify(img.caption) .. "]")
end
