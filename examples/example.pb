; Glossa example: a small PureBasic module with documented procedures.
EnableExplicit

Structure Point
  x.i
  y.i
EndStructure

;<comment>
;  <summary>Adds two <b>integers</b>.</summary>
;  <param><b>a:</b> the first summand</param>
;  <param><b>b:</b> the second summand</param>
;  <return>The sum of <i>a</i> and <i>b</i>.</return>
;  <example>Debug Add(1, 2)<br>; shows 3</example>
;</comment>
Procedure.i Add(a.i, b.i)
  ProcedureReturn a + b
EndProcedure

Procedure.s Greet(name.s, *p.Point = 0)
  Protected text.s = "Hello, " + name
  If *p
    text + " at " + Str(*p\x) + "," + Str(*p\y)
  EndIf
  ProcedureReturn text
EndProcedure

Procedure Fill(n, Array values.i(1), Count)
  Protected i
  For i = 0 To Count - 1
    values(i) = n
  Next
EndProcedure

Debug Add(1, 2)
Debug Greet("World")
